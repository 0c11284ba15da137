#pragma once
// What sets the plug-in libraries apart; the defaults are those of the libraries whose texts carry
// the 4-byte prefix.

#include <cstddef>
#include <cstdint>

namespace plug {

struct Variant {
    // Bytes in front of a text in both directions (516 or 4).
    size_t textPrefix = 4;
    // Fixed part of the user record before the name item (85 or 79).
    size_t userFixedLength = 79;
    // Period of the link check once the game has linked, in milliseconds.
    uint32_t linkCheckMs = 1000;
    // The header-only message (3,104) follows the link acknowledgement.
    bool linkFollowUp = false;
    // The link callback carries true on a first link too.
    bool linkAlwaysRelinked = false;
};

inline constexpr uint32_t kStartTimeoutMs = 20000;
inline constexpr uint32_t kQuitWaitMs = 1000;

}  // namespace plug
