#pragma once

#include <string>
#include <string_view>

namespace rt {

// Converts UTF-8 to UTF-16. Each invalid sequence (a stray continuation byte, a truncated or
// overlong sequence, an encoded surrogate, a code point above U+10FFFF) becomes one U+FFFD for
// its longest valid-looking prefix, and decoding resumes at the next byte.
std::u16string utf8ToUtf16(std::string_view text);

}  // namespace rt
