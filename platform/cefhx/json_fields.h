// Type-checked reads of the fields of a message from the browser. A required field that is
// missing or of another type, or an optional one of another type, throws MalformedMessage;
// the connection drops such a message with a trace line and goes on.
#pragma once

#include <json/json.h>

#include <stdexcept>
#include <string>
#include <string_view>

namespace cefhx {

class MalformedMessage : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The field as it is, null when absent or when `object` is no object.
const Json::Value& anyField(const Json::Value& object, std::string_view key);
// Required fields.
const Json::Value& objectField(const Json::Value& object, std::string_view key);
std::string textField(const Json::Value& object, std::string_view key);
int intField(const Json::Value& object, std::string_view key);
// Optional fields: the fallback when absent or null.
const Json::Value& optionalObject(const Json::Value& object, std::string_view key);
std::string optionalText(const Json::Value& object, std::string_view key,
                         std::string fallback = {});
int optionalInt(const Json::Value& object, std::string_view key, int fallback = 0);
bool optionalBool(const Json::Value& object, std::string_view key, bool fallback = false);
// The number of entries of an optional array field.
unsigned optionalArraySize(const Json::Value& object, std::string_view key);

}  // namespace cefhx
