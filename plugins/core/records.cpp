#include "plugins/core/records.h"

#include "plugins/core/le_bytes.h"
#include "plugins/core/message_header.h"
#include "plugins/core/packet_writer.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <span>

namespace plug {

namespace {

void PutGameDataHeader(uint8_t* at, uint16_t kind, uint16_t subKind) {
    PutU16(at, kind);
    PutU16(at + 2, subKind);
}

void PutI32(uint8_t* at, int32_t v) {
    PutU32(at, static_cast<uint32_t>(v));
}

}  // namespace

Bytes BuildUserRecord(const UserInfo& info, size_t fixedLength) {
    Bytes record(kMaxPayload, 0);
    PutU32(&record[1], static_cast<uint32_t>(info.gameId));
    PutU32(&record[5], static_cast<uint32_t>(info.userId));
    PutU16(&record[22], static_cast<uint16_t>(info.tableId));
    PutU16(&record[24], static_cast<uint16_t>(info.chairId));
    PutU8(&record[26], static_cast<uint8_t>(info.status));
    PutU64(&record[27], static_cast<uint64_t>(info.score));
    PacketWriter writer(std::span<uint8_t>(record).subspan(fixedLength));
    writer.AddString(info.name, kUserNameItem);
    record.resize(fixedLength + writer.used());
    return record;
}

Bytes BuildRoomRecord(const RoomInfo& room) {
    Bytes record(kRoomRecordSize, 0);
    PutU16(&record[0], static_cast<uint16_t>(room.tableId));
    PutU16(&record[2], static_cast<uint16_t>(room.chairId));
    PutU32(&record[4], static_cast<uint32_t>(room.userId));
    PutU16(&record[16], static_cast<uint16_t>(room.kindId));
    PutU16(&record[18], static_cast<uint16_t>(room.serverId));
    PutU16(&record[20], static_cast<uint16_t>(room.serverType));
    PutU32(&record[24], static_cast<uint32_t>(room.serverRule));
    const size_t chars = std::min(room.serverName.size(), kRoomNameChars);
    for (size_t i = 0; i < chars; ++i) PutU16(&record[28 + 2 * i], room.serverName[i]);
    return record;
}

Bytes BuildGameConfigRecord(const GameConfig& config) {
    Bytes record(kGameConfigSize, 0);
    PutGameDataHeader(&record[0], 200, 100);
    const int32_t head[] = {config.x,    config.y,     config.level, config.elapsed,
                            config.time, config.exper, config.status};
    for (size_t i = 0; i < std::size(head); ++i) PutI32(&record[4 + 4 * i], head[i]);
    const size_t items = std::min(config.items.size(), kGameConfigItems);
    for (size_t k = 0; k < items; ++k) {
        if (!config.items[k]) continue;
        const FishItem& item = *config.items[k];
        PutI32(&record[32 + 4 * k], item.score);
        PutI32(&record[192 + 4 * k], item.status);
        PutI32(&record[352 + 4 * k], item.x);
        PutI32(&record[512 + 4 * k], item.y);
        PutI32(&record[672 + 4 * k], item.time);
    }
    const size_t ids = std::min(config.ids.size(), kGameConfigIds);
    for (size_t k = 0; k < ids; ++k) {
        if (!config.ids[k]) continue;
        PutI32(&record[832 + 4 * k], config.ids[k]->x);
        PutI32(&record[864 + 4 * k], config.ids[k]->y);
    }
    return record;
}

Bytes BuildGameStateRecord() {
    Bytes record(kGameStateSize, 0);
    PutGameDataHeader(&record[0], 100, 101);
    PutI32(&record[4], 30);
    return record;
}

Bytes BuildUserScoreRecord(const UserScore& score) {
    Bytes record(kUserScoreSize, 0);
    PutU32(&record[0], static_cast<uint32_t>(score.userId));
    PutU64(&record[4], static_cast<uint64_t>(score.score));
    return record;
}

Bytes BuildUserStatusRecord(const UserStatus& status) {
    Bytes record(kUserStatusSize, 0);
    PutU32(&record[0], static_cast<uint32_t>(status.userId));
    PutU16(&record[4], static_cast<uint16_t>(status.tableId));
    PutU16(&record[6], static_cast<uint16_t>(status.chairId));
    PutU8(&record[8], static_cast<uint8_t>(status.status));
    return record;
}

Bytes BuildExchangeScoreRecord(const ExchangeScore& score) {
    Bytes record(kExchangeScoreSize, 0);
    PutGameDataHeader(&record[0], 200, 102);
    PutU16(&record[4], static_cast<uint16_t>(score.chairId));
    PutU64(&record[6], static_cast<uint64_t>(score.x));
    PutU64(&record[14], static_cast<uint64_t>(score.y));
    return record;
}

int64_t TextNumber(const char* text) {
    if (text == nullptr) return 0;
    const char* at = text;
    while (std::isspace(static_cast<unsigned char>(*at))) ++at;
    bool negative = false;
    if (*at == '+' || *at == '-') negative = *at++ == '-';
    int64_t magnitude = 0;
    const int64_t limit = negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
                                   : std::numeric_limits<int32_t>::max();
    while (std::isdigit(static_cast<unsigned char>(*at))) {
        magnitude = std::min<int64_t>(magnitude * 10 + (*at++ - '0'), limit);
    }
    return negative ? -magnitude : magnitude;
}

int64_t TruncateToInt64(double value) {
    if (std::isnan(value)) return 0;
    constexpr double kTop = 9223372036854775808.0;  // 2^63
    if (value >= kTop) return std::numeric_limits<int64_t>::max();
    if (value < -kTop) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(value);
}

}  // namespace plug
