#include "updater/range_split.h"

#include <gtest/gtest.h>

namespace haldor {
namespace {

void ExpectContiguous(std::uint64_t length, const std::vector<ByteRange>& ranges) {
    std::uint64_t next = 0;
    for (const auto& r : ranges) {
        EXPECT_EQ(r.first, next) << "length " << length;
        EXPECT_LE(r.first, r.last) << "length " << length;
        next = r.last + 1;
    }
    EXPECT_EQ(next, length);
}

TEST(RangeSplit, TenBytesGiveFiveRangesOfTwo) {
    std::vector<ByteRange> expected = {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {8, 9}};
    EXPECT_EQ(SplitRanges(10), expected);
}

TEST(RangeSplit, LastRangeEndsAtTheLastByte) {
    auto ranges = SplitRanges(1000001);
    ASSERT_EQ(ranges.size(), 5u);
    EXPECT_EQ(ranges[0].last, 200000u - 1);
    EXPECT_EQ(ranges[4].last, 1000000u);
    ExpectContiguous(1000001, ranges);
}

TEST(RangeSplit, ShortFilesGetOneRangePerByteAndEmptyFilesNone) {
    EXPECT_TRUE(SplitRanges(0).empty());
    for (std::uint64_t length = 1; length < 5; ++length) {
        auto ranges = SplitRanges(length);
        EXPECT_EQ(ranges.size(), length);
        ExpectContiguous(length, ranges);
    }
}

TEST(RangeSplit, LargeFilesDoNotOverflow) {
    for (std::uint64_t length : {5ull, 1ull << 30, (1ull << 32) + 3, (1ull << 62) + 7}) {
        auto ranges = SplitRanges(length);
        ASSERT_EQ(ranges.size(), 5u);
        ExpectContiguous(length, ranges);
        for (const auto& r : ranges) {
            EXPECT_GE(r.last - r.first + 1, length / 5);
            EXPECT_LE(r.last - r.first + 1, length / 5 + 1);
        }
    }
}

}  // namespace
}  // namespace haldor
