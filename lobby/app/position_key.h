#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace lobby {

// The position-keyed key stream of the scrambled installation files ("Client.ini" and the first
// 64 bytes of "lobby.dat"): the byte at offset i is XORed with positionKey(i). The key is a
// function of the offset alone, so scrambling and unscrambling are the same operation. The key
// byte is never 0, so a scrambled XML text never starts with "<".
uint8_t positionKey(uint64_t position);

// XORs every byte with the key byte of its offset.
void applyPositionKey(std::span<uint8_t> bytes);

}  // namespace lobby
