#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lobby {

// The resource archive: a zip file whose bytes at offsets 0, 3, 6, ... are XORed with 0x5E.
// It is read front to back through the entries' local headers; the central directory is not
// used.
struct ZipEntry {
    std::string fileName;
    std::vector<uint8_t> data;
};

inline constexpr uint8_t kArchiveKey = 0x5E;
// The largest entry the reader takes, stored or inflated.
inline constexpr size_t kZipEntryCap = 256u << 20;

// XORs every third byte, from the first, with kArchiveKey (its own inverse).
void xorEveryThirdByte(std::span<uint8_t> bytes);

// Reads every entry of a plain zip archive in archive order, inflating deflated entries, both
// those whose sizes stand in the local header and those whose sizes follow their data. `name`
// only labels errors, which are std::runtime_error naming it and the offset. No entry grows past
// kZipEntryCap, and an entry whose sizes stand in its header must inflate to exactly its declared
// size. Such an entry that is unusable (an unknown method, corrupt data, a size over the cap or
// not the declared one) is left out with a trace line and the next one is read; damage that
// hides where the next entry starts fails the whole archive.
std::vector<ZipEntry> readZipEntries(std::span<const uint8_t> zip, std::string_view name);

}  // namespace lobby
