#include "tools/testhttp/byte_range.h"

#include <gtest/gtest.h>

namespace testhttp {
namespace {

TEST(ByteRangeTest, ReadsTheThreeSingleRangeForms) {
    EXPECT_EQ(parseByteRange("bytes=0-99"), (ByteRange{0, 99}));
    EXPECT_EQ(parseByteRange("bytes=300-"), (ByteRange{300, std::nullopt}));
    EXPECT_EQ(parseByteRange("bytes=-5"), (ByteRange{std::nullopt, 5}));
    EXPECT_EQ(parseByteRange(" Bytes = 7 - 7 "), (ByteRange{7, 7}));
}

TEST(ByteRangeTest, IgnoresWhatIsNotOneWellFormedRange) {
    for (const char* header : {"bytes=0-1,5-6", "items=0-1", "bytes=5-4", "bytes=-", "bytes=a-b",
                               "bytes=1", "bytes 0-1", "bytes=99999999999999999999-"}) {
        EXPECT_FALSE(parseByteRange(header)) << header;
    }
}

TEST(ByteRangeTest, ClampsTheLastByteAndRefusesRangesPastTheEnd) {
    EXPECT_EQ(resolveRange({2, 3}, 10), (Span{2, 2}));
    EXPECT_EQ(resolveRange({8, 100}, 10), (Span{8, 2}));
    EXPECT_EQ(resolveRange({4, std::nullopt}, 10), (Span{4, 6}));
    EXPECT_EQ(resolveRange({std::nullopt, 3}, 10), (Span{7, 3}));
    EXPECT_EQ(resolveRange({std::nullopt, 30}, 10), (Span{0, 10}));
    EXPECT_FALSE(resolveRange({10, 12}, 10));
    EXPECT_FALSE(resolveRange({std::nullopt, 0}, 10));
    EXPECT_FALSE(resolveRange({0, 0}, 0));
}

TEST(ByteRangeTest, WritesTheRangeBack) {
    for (const char* header : {"bytes=0-99", "bytes=300-", "bytes=-5"}) {
        EXPECT_EQ(parseByteRange(header)->toString(), header);
    }
}

}  // namespace
}  // namespace testhttp
