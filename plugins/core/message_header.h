#pragma once
// The 8-byte header in front of every message between a plug-in and its game process, and the
// checks a received block must pass.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace plug {

inline constexpr size_t kHeaderSize = 8;
inline constexpr uint16_t kHeaderVersion = 1;
// Largest payload a message may carry; a message is at most 10240 bytes.
inline constexpr size_t kMaxPayload = 10232;

// copy-data tags: 513 is queued by the receiver, 257 handled during the call.
inline constexpr uintptr_t kDataQueued = 513;
inline constexpr uintptr_t kDataSync = 257;

struct MessageCode {
    uint16_t main = 0;
    uint16_t sub = 0;
    friend bool operator==(const MessageCode&, const MessageCode&) = default;
};

inline constexpr MessageCode kLink{2, 1};
inline constexpr MessageCode kGoodbye{2, 2};
inline constexpr MessageCode kGameText{1, 1};
inline constexpr MessageCode kLinkAck{2, 101};
inline constexpr MessageCode kQuit{2, 100};
inline constexpr MessageCode kLinkFollowUp{3, 104};
inline constexpr MessageCode kRoom{3, 102};
inline constexpr MessageCode kUser{4, 100};
inline constexpr MessageCode kUserScore{4, 101};
inline constexpr MessageCode kUserStatus{4, 102};
inline constexpr MessageCode kGameData{1, 2};

// Header and payload as one block; nothing when the payload is longer than kMaxPayload.
std::optional<std::vector<uint8_t>> EncodeMessage(MessageCode code,
                                                  std::span<const uint8_t> payload);

struct ReceivedView {
    MessageCode code;
    std::span<const uint8_t> payload;
};

// Nothing when the block is too short for a header, carries another version, states a total
// size other than its byte count, or holds a payload longer than kMaxPayload.
std::optional<ReceivedView> ParseMessage(std::span<const uint8_t> block);

}  // namespace plug
