#pragma once

#include <string_view>

namespace haldor {

// Bytes that change how a line, a request or a file reads: below 0x20 (CR, LF, NUL, tab, ...)
// and DEL.
inline bool IsControlCharacter(char c) {
    auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
}

inline bool HasControlCharacter(std::string_view text) {
    for (char c : text)
        if (IsControlCharacter(c)) return true;
    return false;
}

}  // namespace haldor
