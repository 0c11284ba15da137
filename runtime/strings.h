#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rt {

// Splits at every occurrence of the separator, keeping empty parts ("a,,b" gives "a", "", "b";
// "" gives one empty part). An empty separator splits into single bytes.
std::vector<std::string> split(std::string_view text, std::string_view separator);
std::string join(const std::vector<std::string>& parts, std::string_view separator);
// Replaces every occurrence, left to right, never rescanning replaced text.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);
// Removes spaces, tabs, line ends, vertical tabs and form feeds from both ends.
std::string trim(std::string_view text);
bool startsWith(std::string_view text, std::string_view prefix);
bool endsWith(std::string_view text, std::string_view suffix);
// Lower-cases ASCII letters; other bytes (UTF-8 sequences included) stay as they are.
std::string toLower(std::string_view text);

}  // namespace rt
