#include "updater/range_split.h"

namespace haldor {

std::vector<ByteRange> SplitRanges(std::uint64_t length) {
    std::vector<ByteRange> ranges;
    if (length < kRangeCount) {
        for (std::uint64_t b = 0; b < length; ++b) ranges.push_back({b, b});
        return ranges;
    }
    std::uint64_t first = 0;
    for (int i = 0; i < kRangeCount; ++i) {
        // length * (i + 1) / 5 without overflow for any 64-bit length.
        std::uint64_t n = static_cast<std::uint64_t>(i + 1);
        std::uint64_t end = (length / kRangeCount) * n + (length % kRangeCount) * n / kRangeCount;
        std::uint64_t last = i == kRangeCount - 1 ? length - 1 : end - 1;
        ranges.push_back({first, last});
        first = last + 1;
    }
    return ranges;
}

}  // namespace haldor
