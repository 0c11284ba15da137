#pragma once

#include <cstdint>
#include <vector>

namespace haldor {

// An inclusive byte range.
struct ByteRange {
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    bool operator==(const ByteRange&) const = default;
};

constexpr int kRangeCount = 5;

// Splits a file of `length` bytes into five ranges, range i ending at length * (i + 1) / 5 - 1.
// A file shorter than five bytes gets one range per byte; a file of no bytes gets none.
std::vector<ByteRange> SplitRanges(std::uint64_t length);

}  // namespace haldor
