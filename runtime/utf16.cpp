#include "runtime/utf16.h"

namespace rt {
namespace {

constexpr char16_t kReplacement = u'\uFFFD';

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Bounds of the second byte after a given lead byte, which rule out overlong forms, surrogates
// and code points above U+10FFFF.
void secondByteRange(unsigned char lead, unsigned char& low, unsigned char& high) {
    low = 0x80;
    high = 0xBF;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
}

}  // namespace

std::u16string utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    const size_t size = text.size();
    size_t i = 0;
    while (i < size) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            out += static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        int length = 0;
        char32_t code = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
        } else {
            out += kReplacement;
            ++i;
            continue;
        }
        unsigned char low, high;
        secondByteRange(lead, low, high);
        size_t next = i + 1;
        int taken = 1;
        while (taken < length && next < size) {
            const auto c = static_cast<unsigned char>(text[next]);
            const bool fits = taken == 1 ? (c >= low && c <= high) : isContinuation(c);
            if (!fits) break;
            code = (code << 6) | (c & 0x3F);
            ++next;
            ++taken;
        }
        i = next;
        if (taken < length) {
            out += kReplacement;
        } else if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (code >> 10));
            out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
    }
    return out;
}

}  // namespace rt
