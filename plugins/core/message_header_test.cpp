#include "plugins/core/message_header.h"

#include <gtest/gtest.h>

namespace plug {
namespace {

TEST(MessageHeader, EncodesVersionSizeAndCodesLittleEndian) {
    const std::vector<uint8_t> payload{0xAA, 0xBB, 0xCC};
    const auto block = EncodeMessage({0x0304, 0x0102}, payload);
    ASSERT_TRUE(block);
    const std::vector<uint8_t> expected{1, 0, 11, 0, 0x04, 0x03, 0x02, 0x01, 0xAA, 0xBB, 0xCC};
    EXPECT_EQ(*block, expected);
}

TEST(MessageHeader, PayloadLimitIsInclusive) {
    EXPECT_TRUE(EncodeMessage(kGameData, std::vector<uint8_t>(kMaxPayload)));
    EXPECT_FALSE(EncodeMessage(kGameData, std::vector<uint8_t>(kMaxPayload + 1)));
}

TEST(MessageHeader, ParsesWhatItEncodes) {
    const std::vector<uint8_t> payload{7, 8, 9, 10};
    const auto block = EncodeMessage(kGameText, payload);
    const auto view = ParseMessage(*block);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->code, kGameText);
    EXPECT_EQ(std::vector<uint8_t>(view->payload.begin(), view->payload.end()), payload);
    const auto headerOnly = ParseMessage(*EncodeMessage(kLink, {}));
    ASSERT_TRUE(headerOnly);
    EXPECT_TRUE(headerOnly->payload.empty());
}

TEST(MessageHeader, RefusesMalformedBlocks) {
    std::vector<uint8_t> block = *EncodeMessage(kLink, std::vector<uint8_t>{1, 2});
    EXPECT_FALSE(ParseMessage(std::span(block).first(7))) << "shorter than a header";
    std::vector<uint8_t> wrongVersion = block;
    wrongVersion[0] = 2;
    EXPECT_FALSE(ParseMessage(wrongVersion));
    std::vector<uint8_t> longer = block;
    longer.push_back(0);
    EXPECT_FALSE(ParseMessage(longer)) << "total size below the byte count";
    std::vector<uint8_t> shorter = block;
    shorter.pop_back();
    EXPECT_FALSE(ParseMessage(shorter)) << "total size above the byte count";
}

TEST(MessageHeader, RefusesPayloadBeyondTheLimitEvenWhenConsistent) {
    std::vector<uint8_t> block(kHeaderSize + kMaxPayload + 1);
    block[0] = 1;
    block[2] = static_cast<uint8_t>(block.size());
    block[3] = static_cast<uint8_t>(block.size() >> 8);
    EXPECT_FALSE(ParseMessage(block));
    block.pop_back();
    block[2] = static_cast<uint8_t>(block.size());
    block[3] = static_cast<uint8_t>(block.size() >> 8);
    EXPECT_TRUE(ParseMessage(block));
}

}  // namespace
}  // namespace plug
