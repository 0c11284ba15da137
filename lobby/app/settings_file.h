#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lobby {

// The settings files' XML shape: the children of the root element are the entries, each named
// by its element and valued by its first child node's text. An element without text gives no
// entry. Throws std::runtime_error naming `fileName` when the text is not such a document.
std::map<std::string, std::string> readSettingsXml(std::string_view text,
                                                   std::string_view fileName);

// True when every character of the UTF-8 text is one XML 1.0 can hold: no NUL or other control
// character but tab, line feed and carriage return, no surrogate, no U+FFFE or U+FFFF.
bool xmlCanHold(std::string_view text);

// The template with every mark replaced by its value in one pass from the start: a value is
// never searched for marks again. Where two marks begin at one place the first listed wins.
std::string fillTemplate(std::string_view templ,
                         const std::vector<std::pair<std::string_view, std::string>>& marks);

}  // namespace lobby
