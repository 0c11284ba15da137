#include "plugins/core/records.h"

#include "plugins/core/le_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace plug {
namespace {

bool ZeroOutside(const Bytes& record, std::initializer_list<std::pair<size_t, size_t>> used) {
    for (size_t i = 0; i < record.size(); ++i) {
        const bool inside = std::any_of(used.begin(), used.end(), [i](const auto& range) {
            return i >= range.first && i < range.first + range.second;
        });
        if (!inside && record[i] != 0) return false;
    }
    return true;
}

UserInfo SampleUser() {
    UserInfo info;
    info.gameId = 0x11223344;
    info.userId = -2;
    info.tableId = 0x10005;
    info.chairId = 3;
    info.status = 0x1FF;
    info.score = -5;
    return info;
}

TEST(UserRecord, EmptyNameGivesExactlyTheFixedLength) {
    for (size_t fixed : {kUserFixedLengthWide, kUserFixedLengthNarrow}) {
        const Bytes record = BuildUserRecord(SampleUser(), fixed);
        ASSERT_EQ(record.size(), fixed);
        EXPECT_EQ(record[0], 0);
        EXPECT_EQ(GetU32(&record[1]), 0x11223344u);
        EXPECT_EQ(GetU32(&record[5]), 0xFFFFFFFEu);
        EXPECT_EQ(GetU16(&record[22]), 5) << "low bits of the table id";
        EXPECT_EQ(GetU16(&record[24]), 3);
        EXPECT_EQ(record[26], 0xFF);
        EXPECT_EQ(static_cast<int64_t>(GetU64(&record[27])), -5);
        EXPECT_TRUE(ZeroOutside(record, {{1, 8}, {22, 13}}));
    }
}

TEST(UserRecord, NameIsOneItemOfTypeTenWithItsNul) {
    UserInfo info = SampleUser();
    info.name = u"A\u00e9\u4e2d";
    const Bytes record = BuildUserRecord(info, kUserFixedLengthNarrow);
    ASSERT_EQ(record.size(), kUserFixedLengthNarrow + 12);
    const uint8_t* item = &record[kUserFixedLengthNarrow];
    EXPECT_EQ(GetU16(item), 8);
    EXPECT_EQ(GetU16(item + 2), kUserNameItem);
    EXPECT_EQ(GetU16(item + 4), u'A');
    EXPECT_EQ(GetU16(item + 6), 0x00e9);
    EXPECT_EQ(GetU16(item + 8), 0x4e2d);
    EXPECT_EQ(GetU16(item + 10), 0);
}

TEST(UserRecord, NameTooLongForTheCapacityIsLeftOut) {
    UserInfo info;
    const size_t capacity = 10232 - kUserFixedLengthWide;
    info.name.assign((capacity - 4 - 2) / 2, u'x');
    EXPECT_EQ(BuildUserRecord(info, kUserFixedLengthWide).size(),
              kUserFixedLengthWide + 4 + 2 * info.name.size() + 2)
        << "the longest name that fits";
    info.name.push_back(u'x');
    EXPECT_EQ(BuildUserRecord(info, kUserFixedLengthWide).size(), kUserFixedLengthWide);
}

TEST(RoomRecord, FieldsAndServerNameCutTo31Characters) {
    RoomInfo room;
    room.tableId = 7;
    room.chairId = 2;
    room.userId = 1001;
    room.kindId = 0x12345;
    room.serverId = 9;
    room.serverType = 4;
    room.serverRule = -1;
    for (int i = 0; i < 40; ++i) room.serverName.push_back(static_cast<char16_t>(u'a' + i % 26));
    const Bytes record = BuildRoomRecord(room);
    ASSERT_EQ(record.size(), kRoomRecordSize);
    EXPECT_EQ(GetU16(&record[0]), 7);
    EXPECT_EQ(GetU16(&record[2]), 2);
    EXPECT_EQ(GetU32(&record[4]), 1001u);
    EXPECT_EQ(GetU16(&record[16]), 0x2345);
    EXPECT_EQ(GetU16(&record[18]), 9);
    EXPECT_EQ(GetU16(&record[20]), 4);
    EXPECT_EQ(GetU32(&record[24]), 0xFFFFFFFFu);
    for (size_t i = 0; i < 31; ++i) EXPECT_EQ(GetU16(&record[28 + 2 * i]), room.serverName[i]);
    EXPECT_EQ(GetU16(&record[90]), 0) << "terminating NUL";
    EXPECT_TRUE(ZeroOutside(record, {{0, 8}, {16, 6}, {24, 66}}));
}

TEST(GameConfigRecord, SlotsFollowElementsAndStopAtCapacity) {
    GameConfig config;
    config.x = 1, config.y = 2, config.level = 3, config.elapsed = 4, config.time = 5;
    config.exper = 6, config.status = -7;
    config.items = {FishItem{10, 11, 12, 13, 14}, std::nullopt, FishItem{20, 21, 22, 23, 24}};
    config.ids = {BulletItem{30, 31}, BulletItem{40, 41}};
    const Bytes record = BuildGameConfigRecord(config);
    ASSERT_EQ(record.size(), kGameConfigSize);
    EXPECT_EQ(GetU16(&record[0]), 200);
    EXPECT_EQ(GetU16(&record[2]), 100);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(GetU32(&record[4 + 4 * i]), static_cast<uint32_t>(i + 1));
    EXPECT_EQ(static_cast<int32_t>(GetU32(&record[28])), -7);
    const size_t columns[] = {32, 192, 352, 512, 672};
    for (size_t c = 0; c < 5; ++c) {
        EXPECT_EQ(GetU32(&record[columns[c]]), 10 + c);
        EXPECT_EQ(GetU32(&record[columns[c] + 4]), 0u) << "element that is not an object";
        EXPECT_EQ(GetU32(&record[columns[c] + 8]), 20 + c);
        for (size_t k = 3; k < kGameConfigItems; ++k)
            EXPECT_EQ(GetU32(&record[columns[c] + 4 * k]), 0u);
    }
    EXPECT_EQ(GetU32(&record[832]), 30u);
    EXPECT_EQ(GetU32(&record[836]), 40u);
    EXPECT_EQ(GetU32(&record[864]), 31u);
    EXPECT_EQ(GetU32(&record[868]), 41u);
    EXPECT_TRUE(ZeroOutside(
        record,
        {{0, 32}, {32, 12}, {192, 12}, {352, 12}, {512, 12}, {672, 12}, {832, 8}, {864, 8}}));

    GameConfig full;
    full.items.assign(45, FishItem{1, 1, 1, 1, 1});
    full.ids.assign(9, BulletItem{1, 1});
    const Bytes fullRecord = BuildGameConfigRecord(full);
    EXPECT_EQ(fullRecord.size(), kGameConfigSize);
    EXPECT_EQ(GetU32(&fullRecord[32 + 4 * 39]), 1u);
    EXPECT_EQ(GetU32(&fullRecord[192]), 1u) << "the 41st item does not spill into the next column";
    EXPECT_EQ(GetU32(&fullRecord[864 + 4 * 7]), 1u);
}

TEST(SmallRecords, LayoutsAndLengths) {
    const Bytes state = BuildGameStateRecord();
    ASSERT_EQ(state.size(), kGameStateSize);
    EXPECT_EQ(GetU16(&state[0]), 100);
    EXPECT_EQ(GetU16(&state[2]), 101);
    EXPECT_EQ(GetU32(&state[4]), 30u);
    EXPECT_TRUE(ZeroOutside(state, {{0, 8}}));

    const Bytes score = BuildUserScoreRecord({1001, -5});
    ASSERT_EQ(score.size(), kUserScoreSize);
    EXPECT_EQ(GetU32(&score[0]), 1001u);
    EXPECT_EQ(static_cast<int64_t>(GetU64(&score[4])), -5);
    EXPECT_TRUE(ZeroOutside(score, {{0, 12}}));

    const Bytes status = BuildUserStatusRecord({1001, 4, 2, 0x102});
    ASSERT_EQ(status.size(), kUserStatusSize);
    EXPECT_EQ(GetU32(&status[0]), 1001u);
    EXPECT_EQ(GetU16(&status[4]), 4);
    EXPECT_EQ(GetU16(&status[6]), 2);
    EXPECT_EQ(status[8], 2);
    EXPECT_TRUE(ZeroOutside(status, {{0, 9}}));

    const Bytes exchange =
        BuildExchangeScoreRecord({3, TruncateToInt64(12.9), TruncateToInt64(-12.9)});
    ASSERT_EQ(exchange.size(), kExchangeScoreSize);
    EXPECT_EQ(GetU16(&exchange[0]), 200);
    EXPECT_EQ(GetU16(&exchange[2]), 102);
    EXPECT_EQ(GetU16(&exchange[4]), 3);
    EXPECT_EQ(static_cast<int64_t>(GetU64(&exchange[6])), 12);
    EXPECT_EQ(static_cast<int64_t>(GetU64(&exchange[14])), -12);
}

TEST(Conversions, TextNumberReadsLikeA32BitAtol) {
    EXPECT_EQ(TextNumber("-5"), -5);
    EXPECT_EQ(TextNumber("  +250xyz"), 250);
    EXPECT_EQ(TextNumber("abc"), 0);
    EXPECT_EQ(TextNumber(""), 0);
    EXPECT_EQ(TextNumber(nullptr), 0);
    EXPECT_EQ(TextNumber("99999999999"), INT32_MAX);
    EXPECT_EQ(TextNumber("-99999999999"), INT32_MIN);
    EXPECT_EQ(TextNumber("-2147483648"), INT32_MIN);
}

TEST(Conversions, FloatTruncatesTowardZeroAndSaturates) {
    EXPECT_EQ(TruncateToInt64(0.99), 0);
    EXPECT_EQ(TruncateToInt64(-0.99), 0);
    EXPECT_EQ(TruncateToInt64(1e30), INT64_MAX);
    EXPECT_EQ(TruncateToInt64(-1e30), INT64_MIN);
    EXPECT_EQ(TruncateToInt64(std::nan("")), 0);
}

}  // namespace
}  // namespace plug
