#pragma once
// Conversions between the UTF-16 texts the host hands over and the UTF-8 the system takes.

#include <string>
#include <string_view>

namespace plug {

// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
// Malformed sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace plug
