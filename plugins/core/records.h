#pragma once
// The fixed byte records a plug-in sends to its game process, built from plain values that the
// primitive layer reads out of the game window's objects.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plug {

using Bytes = std::vector<uint8_t>;

struct UserInfo {
    int32_t gameId = 0;
    int32_t userId = 0;
    int32_t tableId = 0;
    int32_t chairId = 0;
    int32_t status = 0;
    int64_t score = 0;
    std::u16string name;
};

struct RoomInfo {
    int32_t tableId = 0;
    int32_t chairId = 0;
    int32_t userId = 0;
    int32_t kindId = 0;
    int32_t serverId = 0;
    int32_t serverType = 0;
    int32_t serverRule = 0;
    std::u16string serverName;
};

struct FishItem {
    int32_t score = 0;
    int32_t status = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t time = 0;
};

struct BulletItem {
    int32_t x = 0;
    int32_t y = 0;
};

// An element that is not an object is kept as an empty slot so later elements keep their index.
struct GameConfig {
    int32_t x = 0;
    int32_t y = 0;
    int32_t level = 0;
    int32_t elapsed = 0;
    int32_t time = 0;
    int32_t exper = 0;
    int32_t status = 0;
    std::vector<std::optional<FishItem>> items;
    std::vector<std::optional<BulletItem>> ids;
};

struct UserScore {
    int32_t userId = 0;
    int64_t score = 0;
};

struct UserStatus {
    int32_t userId = 0;
    int32_t tableId = 0;
    int32_t chairId = 0;
    int32_t status = 0;
};

struct ExchangeScore {
    int32_t chairId = 0;
    int64_t x = 0;
    int64_t y = 0;
};

inline constexpr size_t kUserFixedLengthWide = 85;
inline constexpr size_t kUserFixedLengthNarrow = 79;
inline constexpr uint16_t kUserNameItem = 10;
inline constexpr size_t kRoomRecordSize = 100;
inline constexpr size_t kRoomNameChars = 31;
inline constexpr size_t kGameConfigSize = 896;
inline constexpr size_t kGameConfigItems = 40;
inline constexpr size_t kGameConfigIds = 8;
inline constexpr size_t kGameStateSize = 136;
inline constexpr size_t kUserScoreSize = 56;
inline constexpr size_t kUserStatusSize = 12;
inline constexpr size_t kExchangeScoreSize = 22;

// fixedLength is the library's user record length before the name item (85 or 79 bytes).
Bytes BuildUserRecord(const UserInfo& info, size_t fixedLength);
Bytes BuildRoomRecord(const RoomInfo& room);
Bytes BuildGameConfigRecord(const GameConfig& config);
Bytes BuildGameStateRecord();
Bytes BuildUserScoreRecord(const UserScore& score);
Bytes BuildUserStatusRecord(const UserStatus& status);
Bytes BuildExchangeScoreRecord(const ExchangeScore& score);

// A score text read as a 32-bit decimal integer the way the C library's atol reads it (leading
// blanks, a sign, digits; anything else ends the number), saturated to the 32-bit range and
// widened to 64 bits.
int64_t TextNumber(const char* text);
// Truncation toward zero, saturated to the 64-bit range; NaN gives 0.
int64_t TruncateToInt64(double value);

}  // namespace plug
