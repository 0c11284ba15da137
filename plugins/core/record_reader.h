#pragma once
// Reads the game window's objects field by field, by name, into the plain record values.

#include "plugins/core/records.h"
#include "runtime/cffi/hx_cffi.h"

#include <string>

namespace plug {

// Anonymous records, abstracts and class instances count as objects.
bool IsObject(value v);
bool IsString(value v);

// A missing field reads as 0, or as an empty text.
int32_t IntField(value object, const char* name);
std::u16string TextField(value object, const char* name);
// The field read as text and then as a decimal number.
int64_t TextNumberField(value object, const char* name);
// A float field truncated toward zero.
int64_t FloatField(value object, const char* name);

// The UTF-16 form of a string value; an empty text for null.
std::u16string WideText(value v);

UserInfo ReadUserInfo(value object);
RoomInfo ReadRoomInfo(value object);
GameConfig ReadGameConfig(value object);
UserScore ReadUserScore(value object);
UserStatus ReadUserStatus(value object);
ExchangeScore ReadExchangeScore(value object);

}  // namespace plug
