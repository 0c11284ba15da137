#include "lobby/app/position_key.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace lobby {
namespace {

TEST(PositionKey, ScramblingTwiceGivesTheOriginalBytes) {
    const std::string text = "<config><product>Lobby</product></config>";
    std::vector<uint8_t> bytes(text.begin(), text.end());
    applyPositionKey(bytes);
    EXPECT_NE(std::string(bytes.begin(), bytes.end()), text);
    EXPECT_NE(bytes[0], '<');
    applyPositionKey(bytes);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), text);
}

TEST(PositionKey, KeyBytesAreNeverZeroAndVaryWithThePosition) {
    std::set<uint8_t> seen;
    for (uint64_t i = 0; i < 4096; ++i) {
        ASSERT_NE(positionKey(i), 0) << "offset " << i;
        seen.insert(positionKey(i));
    }
    // A constant or short-period key would leave the text readable through repetition.
    EXPECT_GT(seen.size(), 200u);
}

}  // namespace
}  // namespace lobby
