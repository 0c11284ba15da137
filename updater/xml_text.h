#pragma once

#include <optional>
#include <string>

namespace haldor {

// Turns the bytes of an XML file into UTF-8 by the encoding its declaration names, in any case.
// GB2312 and GBK are read as GB18030, their superset; UTF-8, or no declared encoding, is taken as
// it is. Nothing for any other encoding, or when the bytes do not fit it.
std::optional<std::string> XmlToUtf8(const std::string& bytes);

}  // namespace haldor
