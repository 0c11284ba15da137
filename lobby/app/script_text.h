#pragma once

#include <string>
#include <string_view>

namespace lobby {

// `text` as a single-quoted script string literal, quotes included, that reads back as exactly
// `text` and cannot end the literal or the script element it stands in: quotes, backslashes,
// line ends, control characters, "<" and the two script line separators are escaped.
std::string scriptString(std::string_view text);

// `name` + "(" + the literal of `argument` + ")", a page function called with one text.
std::string scriptCall(std::string_view name, std::string_view argument);

}  // namespace lobby
