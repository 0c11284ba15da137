#include "tools/fakegame/describe.h"

#include "plugins/core/message_header.h"
#include "plugins/core/records.h"
#include "plugins/core/text_channel.h"

#include <gtest/gtest.h>

namespace fakegame {
namespace {

std::vector<uint8_t> Block(plug::MessageCode code, const std::vector<uint8_t>& payload) {
    return *plug::EncodeMessage(code, payload);
}

TEST(Describe, HeaderLineCarriesCodeTagSizeAndPayloadHex) {
    const auto line = DescribeBlock(513, Block({2, 101}, {}), LayoutForPrefix(4));
    EXPECT_EQ(line, "recv 2,101 data=513 bytes=8 hex=");
    const auto raw = DescribeBlock(257, Block({9, 10}, {0x00, 0xab}), LayoutForPrefix(4));
    EXPECT_EQ(raw, "recv 9,10 data=257 bytes=10 hex=00ab");
    const std::vector<uint8_t> bad{1, 0, 9, 0};
    EXPECT_EQ(DescribeBlock(513, bad, LayoutForPrefix(4)),
              "recv malformed data=513 bytes=4 hex=01000900");
}

TEST(Describe, DecodesUserAndRoomRecords) {
    plug::UserInfo user;
    user.gameId = 12, user.userId = 1001, user.tableId = 4, user.chairId = 2, user.status = 5;
    user.score = -5, user.name = u"Ann\u00e9";
    const auto wide = DescribeBlock(513, Block(plug::kUser, plug::BuildUserRecord(user, 85)),
                                    LayoutForPrefix(516));
    EXPECT_NE(wide.find("\n  user game=12 user=1001 table=4 chair=2 status=5 score=-5 "
                        "name=\"Ann\xc3\xa9\""),
              std::string::npos)
        << wide;
    plug::RoomInfo room;
    room.tableId = 3, room.serverName = u"Hall";
    const auto line =
        DescribeBlock(513, Block(plug::kRoom, plug::BuildRoomRecord(room)), LayoutForPrefix(4));
    EXPECT_NE(line.find("\n  room table=3 chair=0 user=0 kind=0 server=0 type=0 rule=0 "
                        "name=\"Hall\""),
              std::string::npos)
        << line;
}

TEST(Describe, DecodesTextsBehindEitherPrefix) {
    for (size_t prefix : {plug::kWidePrefix, plug::kNarrowPrefix}) {
        const auto line =
            DescribeBlock(513, Block(plug::kGameData, *plug::TextPayload("a\"b\n", prefix)),
                          LayoutForPrefix(prefix));
        EXPECT_NE(
            line.find("text prefix=" + std::to_string(prefix) + " length=4 value=\"a\\\"b\\x0a\""),
            std::string::npos)
            << line;
    }
}

TEST(Describe, DecodesGameDataRecords) {
    const auto state = DescribeBlock(513, Block(plug::kGameData, plug::BuildGameStateRecord()),
                                     LayoutForPrefix(4));
    EXPECT_NE(state.find("\n  state value=30"), std::string::npos);
    const auto exchange =
        DescribeBlock(513, Block(plug::kGameData, plug::BuildExchangeScoreRecord({3, 12, -12})),
                      LayoutForPrefix(4));
    EXPECT_NE(exchange.find("\n  exchange chair=3 x=12 y=-12"), std::string::npos);
    const auto status =
        DescribeBlock(513, Block(plug::kUserStatus, plug::BuildUserStatusRecord({7, 1, 2, 3})),
                      LayoutForPrefix(4));
    EXPECT_NE(status.find("\n  status user=7 table=1 chair=2 status=3"), std::string::npos);
}

}  // namespace
}  // namespace fakegame
