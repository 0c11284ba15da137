#include "plugins/core/packet_writer.h"

#include "plugins/core/le_bytes.h"

#include <cstring>

namespace plug {

namespace {

bool Fits(size_t used, size_t size, size_t capacity) {
    return size <= UINT16_MAX && used + size + 4 <= capacity;
}

}  // namespace

bool PacketWriter::Add(const void* data, size_t size, uint16_t type) {
    if (!Fits(used_, size, area_.size())) return false;
    uint8_t* at = area_.data() + used_;
    PutU16(at, static_cast<uint16_t>(size));
    PutU16(at + 2, type);
    if (size > 0) std::memcpy(at + 4, data, size);
    used_ += size + 4;
    return true;
}

bool PacketWriter::AddString(std::u16string_view text, uint16_t type) {
    if (text.empty()) return true;
    const size_t size = 2 * text.size() + 2;
    if (!Fits(used_, size, area_.size())) return false;
    uint8_t* at = area_.data() + used_;
    PutU16(at, static_cast<uint16_t>(size));
    PutU16(at + 2, type);
    for (size_t i = 0; i < text.size(); ++i) PutU16(at + 4 + 2 * i, text[i]);
    PutU16(at + 4 + 2 * text.size(), 0);
    used_ += size + 4;
    return true;
}

}  // namespace plug
