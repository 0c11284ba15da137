#pragma once
// Appends sized, typed items to the variable part of a record within a fixed capacity.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace plug {

class PacketWriter {
public:
    explicit PacketWriter(std::span<uint8_t> area) : area_(area) {}

    // Writes uint16 size, uint16 type and the data; fails without writing when the item
    // (size + 4) would pass the capacity.
    bool Add(const void* data, size_t size, uint16_t type);
    // UTF-16 code units and a terminating NUL; an empty text adds nothing and succeeds.
    bool AddString(std::u16string_view text, uint16_t type);

    size_t used() const { return used_; }

private:
    std::span<uint8_t> area_;
    size_t used_ = 0;
};

}  // namespace plug
