#pragma once

#include <map>
#include <string>
#include <string_view>

namespace lobby {

// The settings files' XML shape: the children of the root element are the entries, each named
// by its element and valued by its first child node's text. An element without text gives no
// entry. Throws std::runtime_error naming `fileName` when the text is not such a document.
std::map<std::string, std::string> readSettingsXml(std::string_view text,
                                                   std::string_view fileName);

// The text as XML element content that reads back byte for byte: "&", "<" and ">" as entities,
// and the control characters and blanks a reader would normalise or drop as character
// references.
std::string escapeXmlText(std::string_view text);

}  // namespace lobby
