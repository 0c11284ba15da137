#include "lobby/app/position_key.h"

namespace lobby {

uint8_t positionKey(uint64_t position) {
    // A 32-bit finaliser of the offset (multiply, shift, xor), folded to one byte.
    uint32_t x = static_cast<uint32_t>(position) * 0x9E3779B1u + 0x7F4A7C15u;
    x ^= x >> 16;
    x *= 0x85EBCA6Bu;
    x ^= x >> 13;
    x *= 0xC2B2AE35u;
    x ^= x >> 16;
    const uint8_t key = static_cast<uint8_t>(x ^ (x >> 8) ^ (x >> 16) ^ (x >> 24));
    return key != 0 ? key : 0xA5;
}

void applyPositionKey(std::span<uint8_t> bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] ^= positionKey(i);
}

}  // namespace lobby
