#include "tools/testhttp/byte_range.h"

#include <charconv>

#include "tools/testhttp/headers.h"

namespace testhttp {

namespace {

// A non-empty run of decimal digits that fits 64 bits.
std::optional<uint64_t> parseNumber(std::string_view s) {
    if (s.empty()) return std::nullopt;
    uint64_t value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return value;
}

}  // namespace

std::string ByteRange::toString() const {
    std::string out = "bytes=";
    if (first) out += std::to_string(*first);
    out += '-';
    if (last) out += std::to_string(*last);
    return out;
}

std::optional<ByteRange> parseByteRange(std::string_view header) {
    header = trimBlanks(header);
    size_t eq = header.find('=');
    if (eq == std::string_view::npos ||
        !equalsIgnoreCase(trimBlanks(header.substr(0, eq)), "bytes"))
        return std::nullopt;
    std::string_view set = trimBlanks(header.substr(eq + 1));
    if (set.find(',') != std::string_view::npos) return std::nullopt;
    size_t dash = set.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    std::string_view a = trimBlanks(set.substr(0, dash));
    std::string_view b = trimBlanks(set.substr(dash + 1));

    ByteRange range;
    if (a.empty()) {
        range.last = parseNumber(b);
        if (!range.last) return std::nullopt;
        return range;
    }
    range.first = parseNumber(a);
    if (!range.first) return std::nullopt;
    if (!b.empty()) {
        range.last = parseNumber(b);
        if (!range.last || *range.last < *range.first) return std::nullopt;
    }
    return range;
}

std::optional<Span> resolveRange(const ByteRange& range, uint64_t size) {
    if (!range.first) {
        uint64_t n = range.last.value_or(0);
        if (n == 0 || size == 0) return std::nullopt;
        if (n > size) n = size;
        return Span{size - n, n};
    }
    if (*range.first >= size) return std::nullopt;
    uint64_t last = range.last ? *range.last : size - 1;
    if (last >= size) last = size - 1;
    return Span{*range.first, last - *range.first + 1};
}

}  // namespace testhttp
