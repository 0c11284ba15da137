// The frame of a copy-data call or reply between two processes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace msgloop {

constexpr uint32_t kFrameMagic = 0x444C434D;
constexpr uint16_t kFrameVersion = 1;
constexpr uint16_t kFrameCall = 1;
constexpr uint16_t kFrameReply = 2;

// Host byte order: both ends run on one machine. Magic, version, kind and call id keep their
// place in every version.
struct FrameHeader {
    uint32_t magic;
    uint16_t version;
    uint16_t kind;
    uint64_t call_id;
    uint32_t target;
    int32_t status;
    uint64_t wparam;
    uint64_t data;
    int64_t result;
    uint32_t size;
    uint32_t reserved;
};
static_assert(sizeof(FrameHeader) == 56);

// Bytes up to and including the call id: enough to answer a frame.
constexpr size_t kFrameStableBytes = 16;

enum class FrameCheck {
    kGood,
    kUnreadable,  // too short or foreign: drop without answer
    kBadVersion,  // answer ML_ERR_PROTOCOL
    kMalformed,   // answer ML_ERR_PROTOCOL
    kTooLarge,    // answer ML_ERR_TOO_LARGE
};

// Checks a received frame of `length` bytes (the full length, even when it did not fit the
// buffer) and copies its header out; for kBadVersion and kMalformed only call_id and kind are set.
FrameCheck check_frame(const void* bytes, size_t length, size_t max_payload, FrameHeader* header);

FrameHeader make_header(uint16_t kind, uint64_t call_id);

}  // namespace msgloop
