#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace clientini {

// The two forms of "Client.ini": plain XML (first byte "<") and scrambled with the lobby's
// position-keyed key stream over the whole file.
enum class Direction { Scramble, Unscramble };

// The other form of `bytes`. Throws std::runtime_error naming `name` when the bytes are not in
// the form the direction starts from (scrambling a scrambled file would make it unreadable).
std::vector<uint8_t> convert(std::vector<uint8_t> bytes, Direction direction,
                             const std::string& name);

// Reads `from`, converts it and writes `to` (which may be the same file). Throws
// std::runtime_error naming the file that failed.
void convertFile(const std::string& from, const std::string& to, Direction direction);

}  // namespace clientini
