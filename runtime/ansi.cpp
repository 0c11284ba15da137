#include "runtime/ansi.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include "runtime/strings.h"

namespace rt {
namespace {

bool isUtf8(const std::string& codePage) {
    const std::string lower = toLower(codePage);
    return lower == "utf-8" || lower == "utf8";
}

// Length of the UTF-8 sequence that starts with this byte, at least 1.
size_t utf8Length(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

// Converts with iconv; on a character that cannot be converted, appends `replacement` and skips
// what `skip` says the bad input occupies.
std::string convert(std::string_view text, const std::string& to, const std::string& from,
                    std::string_view replacement, size_t (*skip)(unsigned char)) {
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error("Unknown ANSI code page " + (isUtf8(to) ? from : to) +
                                 " in MORVICK_ANSI_CODEPAGE");
    }
    std::string out;
    char buffer[1024];
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t done = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, outPtr);
        if (done != static_cast<size_t>(-1) || errno == E2BIG) continue;
        out += replacement;
        const size_t bad = std::min(inLeft, skip(static_cast<unsigned char>(*in)));
        in += bad;
        inLeft -= bad;
    }
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, outPtr);
    iconv_close(cd);
    return out;
}

size_t oneByte(unsigned char) {
    return 1;
}

}  // namespace

std::string ansiCodePage() {
    const char* configured = std::getenv("MORVICK_ANSI_CODEPAGE");
    return configured != nullptr && configured[0] != '\0' ? configured : "UTF-8";
}

std::string utf8ToAnsi(std::string_view text) {
    const std::string codePage = ansiCodePage();
    if (isUtf8(codePage)) return std::string(text);
    return convert(text, codePage, "UTF-8", "?", utf8Length);
}

std::string ansiToUtf8(std::string_view text) {
    const std::string codePage = ansiCodePage();
    if (isUtf8(codePage)) return std::string(text);
    return convert(text, "UTF-8", codePage, "\xEF\xBF\xBD", oneByte);
}

}  // namespace rt
