#pragma once
// Readable log lines for what the game stand-in receives.

#include <cstdint>
#include <span>
#include <string>

namespace fakegame {

// Where the variable parts start in the records of the plug-in the game talks to.
struct Layout {
    size_t textPrefix = 4;        // 516 or 4
    size_t userFixedLength = 79;  // 85 or 79
};

// The layout that belongs to a text prefix: 516 goes with 85, 4 with 79.
Layout LayoutForPrefix(size_t textPrefix);

// "recv MAIN,SUB data=TAG bytes=N hex=PAYLOAD" for any block, followed by an indented line that
// decodes the payload when the code names a known record.
std::string DescribeBlock(uintptr_t tag, std::span<const uint8_t> block, const Layout& layout);

// Lowercase hex digits of the bytes.
std::string Hex(std::span<const uint8_t> bytes);

}  // namespace fakegame
