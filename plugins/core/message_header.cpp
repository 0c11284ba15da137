#include "plugins/core/message_header.h"

#include "plugins/core/le_bytes.h"

#include <cstring>

namespace plug {

std::optional<std::vector<uint8_t>> EncodeMessage(MessageCode code,
                                                  std::span<const uint8_t> payload) {
    if (payload.size() > kMaxPayload) return std::nullopt;
    std::vector<uint8_t> block(kHeaderSize + payload.size());
    PutU16(&block[0], kHeaderVersion);
    PutU16(&block[2], static_cast<uint16_t>(block.size()));
    PutU16(&block[4], code.main);
    PutU16(&block[6], code.sub);
    if (!payload.empty()) std::memcpy(&block[kHeaderSize], payload.data(), payload.size());
    return block;
}

std::optional<ReceivedView> ParseMessage(std::span<const uint8_t> block) {
    if (block.size() < kHeaderSize) return std::nullopt;
    if (GetU16(&block[0]) != kHeaderVersion) return std::nullopt;
    if (GetU16(&block[2]) != block.size()) return std::nullopt;
    if (block.size() - kHeaderSize > kMaxPayload) return std::nullopt;
    return ReceivedView{{GetU16(&block[4]), GetU16(&block[6])}, block.subspan(kHeaderSize)};
}

}  // namespace plug
