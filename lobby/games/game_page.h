#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "lobby/app/page_calls.h"
#include "lobby/bindings/cef/cef_window.h"
#include "runtime/array.h"
#include "runtime/value.h"

// What every game window does with its records and its page, above the page-call helpers all
// windows share (lobby/app/page_calls.h: arguments, texts, main frames).
namespace lobby::games {

// The field `name` of a record or object; null for anything else or an absent field.
rt::Value fieldOf(const rt::Value& record, std::string_view name);
// The field read as Int (absent: 0).
int32_t intField(const rt::Value& record, std::string_view name);
// The field as text (absent: "").
std::string textField(const rt::Value& record, std::string_view name);
// Whether the record has the field with a non-null value.
bool hasField(const rt::Value& record, std::string_view name);

// Calls the page function `function` in the window's main frame; null without a frame.
rt::Value callPage(cef::CefWindow& window, const std::string& function,
                   std::initializer_list<rt::Value> args);
rt::Value callPage(cef::CefWindow& window, const std::string& function, rt::Ref<rt::Array> args);
// Runs `code` in the window's main frame; the result is not used.
void runScript(cef::CefWindow& window, const std::string& code);

// A text read as a floating-point number, as the pages give carried money ("1500.5"); a number
// is taken as it is, anything unreadable gives 0.
double numberOf(const rt::Value& value);

// Whether `text` is a plain decimal integer ("-12"), or with `fraction` also a plain decimal
// number ("12.5").
bool isPlainNumber(std::string_view text, bool fraction);
// `text` made safe to stand between the double quotes of a JSON string.
std::string jsonEscaped(std::string_view text);
// `text` made safe to stand as one value of a page address query ("&", "#", "=" ... encoded).
std::string queryEscaped(std::string_view text);
// `value` as a script expression: numbers and booleans as they are, null as null, anything else
// as a quoted, escaped string literal.
std::string scriptValue(const rt::Value& value);

// Sets the process's working folder to the lobby's folder, where the game programs lie.
void enterAppFolder();

}  // namespace lobby::games
