#include "platform/msgloop/wire.h"

#include <cstring>

namespace msgloop {

FrameCheck check_frame(const void* bytes, size_t length, size_t max_payload, FrameHeader* header) {
    std::memset(header, 0, sizeof *header);
    if (length < kFrameStableBytes) return FrameCheck::kUnreadable;
    std::memcpy(header, bytes, kFrameStableBytes);
    if (header->magic != kFrameMagic) return FrameCheck::kUnreadable;
    if (header->version != kFrameVersion) return FrameCheck::kBadVersion;
    if (length < sizeof(FrameHeader)) return FrameCheck::kMalformed;
    std::memcpy(header, bytes, sizeof *header);
    if (header->size > max_payload) return FrameCheck::kTooLarge;
    if (header->size != length - sizeof(FrameHeader)) return FrameCheck::kMalformed;
    return FrameCheck::kGood;
}

FrameHeader make_header(uint16_t kind, uint64_t call_id) {
    FrameHeader h{};
    h.magic = kFrameMagic;
    h.version = kFrameVersion;
    h.kind = kind;
    h.call_id = call_id;
    return h;
}

}  // namespace msgloop
