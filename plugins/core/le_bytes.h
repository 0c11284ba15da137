#pragma once
// Little-endian stores and loads into byte buffers; records and message headers are packed.

#include <cstddef>
#include <cstdint>

namespace plug {

inline void PutU8(uint8_t* at, uint8_t v) {
    at[0] = v;
}

inline void PutU16(uint8_t* at, uint16_t v) {
    at[0] = static_cast<uint8_t>(v);
    at[1] = static_cast<uint8_t>(v >> 8);
}

inline void PutU32(uint8_t* at, uint32_t v) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
}

inline void PutU64(uint8_t* at, uint64_t v) {
    for (int i = 0; i < 8; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
}

inline uint16_t GetU16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | (static_cast<uint16_t>(at[1]) << 8));
}

inline uint32_t GetU32(const uint8_t* at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | at[i];
    return v;
}

inline uint64_t GetU64(const uint8_t* at) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | at[i];
    return v;
}

}  // namespace plug
