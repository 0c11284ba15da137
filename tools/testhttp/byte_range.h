#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace testhttp {

// One byte range as a client asked for it in a Range header: "bytes=a-b", "bytes=a-", or the
// suffix form "bytes=-n" (the last n bytes).
struct ByteRange {
    std::optional<uint64_t> first;  // a; absent in the suffix form
    std::optional<uint64_t> last;   // b, or n in the suffix form; absent in "bytes=a-"

    bool operator==(const ByteRange&) const = default;
    std::string toString() const;  // "bytes=a-b" as it would be written
};

// The part of a resource that a range selects.
struct Span {
    uint64_t offset = 0;
    uint64_t length = 0;
    bool operator==(const Span&) const = default;
};

// Reads a Range header. Nothing when it is not a single well-formed byte range (several ranges,
// another unit, a first byte after the last): such a header is ignored and the whole resource
// is served, as HTTP allows.
std::optional<ByteRange> parseByteRange(std::string_view header);

// The bytes `range` selects from a resource of `size` bytes, with the last byte clamped to the
// end. Nothing when the range is unsatisfiable (it starts at or past the end, or asks for the
// last 0 bytes), which is answered with 416.
std::optional<Span> resolveRange(const ByteRange& range, uint64_t size);

}  // namespace testhttp
