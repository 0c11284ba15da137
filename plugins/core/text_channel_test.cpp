#include "plugins/core/text_channel.h"

#include "plugins/core/le_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace plug {
namespace {

std::vector<uint8_t> Payload(size_t prefix, std::string_view text) {
    std::vector<uint8_t> payload(prefix, 0);
    payload.insert(payload.end(), text.begin(), text.end());
    return payload;
}

TEST(TextPayload, PrefixIsTheTextHeaderThenZeros) {
    for (size_t prefix : {kWidePrefix, kNarrowPrefix}) {
        const auto payload = TextPayload("hello", prefix);
        ASSERT_TRUE(payload);
        ASSERT_EQ(payload->size(), prefix + 5);
        EXPECT_EQ(GetU16(payload->data()), 200);
        EXPECT_EQ(GetU16(payload->data() + 2), 0);
        EXPECT_TRUE(std::all_of(payload->begin() + 4, payload->begin() + prefix,
                                [](uint8_t b) { return b == 0; }));
        EXPECT_EQ(std::string(payload->begin() + prefix, payload->end()), "hello");
    }
}

TEST(TextPayload, LongestTextPerPrefix) {
    EXPECT_TRUE(TextPayload(std::string(9716, 'a'), kWidePrefix));
    EXPECT_FALSE(TextPayload(std::string(9717, 'a'), kWidePrefix));
    EXPECT_TRUE(TextPayload(std::string(10228, 'a'), kNarrowPrefix));
    EXPECT_FALSE(TextPayload(std::string(10229, 'a'), kNarrowPrefix));
    EXPECT_TRUE(TextPayload(std::string(10000, 'a'), kNarrowPrefix));
    EXPECT_FALSE(TextPayload(std::string(10000, 'a'), kWidePrefix));
}

TEST(GameText, PrefixLengthDecidesBetweenNothingAndEmpty) {
    for (size_t prefix : {kWidePrefix, kNarrowPrefix}) {
        EXPECT_FALSE(GameText(std::vector<uint8_t>(prefix - 1), prefix));
        const auto empty = GameText(std::vector<uint8_t>(prefix), prefix);
        ASSERT_TRUE(empty);
        EXPECT_EQ(*empty, "");
    }
}

TEST(GameText, CutsAtNulAndAt1024Bytes) {
    EXPECT_EQ(*GameText(Payload(4, std::string("ab\0cd", 5)), 4), "ab");
    const std::string big(2000, 'q');
    EXPECT_EQ(*GameText(Payload(516, big), 516), big.substr(0, 1024));
    EXPECT_EQ(*GameText(Payload(4, std::string(1024, 'z')), 4), std::string(1024, 'z'));
}

TEST(GameText, CutNeverSplitsAUtf8Character) {
    // 1022 ASCII bytes, then a 3-byte character across the 1024-byte mark.
    const std::string text = std::string(1022, 'a') + "\xe4\xb8\xad" + "tail";
    EXPECT_EQ(*GameText(Payload(4, text), 4), std::string(1022, 'a'));
    // A 4-byte character ending exactly at the mark stays whole.
    const std::string whole = std::string(1020, 'a') + "\xf0\x9f\x98\x80" + "b";
    EXPECT_EQ(*GameText(Payload(4, whole), 4), whole.substr(0, 1024));
    // A 2-byte character starting at the last kept byte goes.
    const std::string two = std::string(1023, 'a') + "\xc3\xa9";
    EXPECT_EQ(*GameText(Payload(4, two), 4), std::string(1023, 'a'));
    // Bytes that are not UTF-8 are cut hard.
    const std::string junk(1100, '\x80');
    EXPECT_EQ(GameText(Payload(4, junk), 4)->size(), 1024u);
}

}  // namespace
}  // namespace plug
