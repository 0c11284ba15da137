#include "plugins/core/text_channel.h"

#include "plugins/core/le_bytes.h"

#include <algorithm>
#include <cstring>

namespace plug {

namespace {

bool IsContinuation(uint8_t byte) {
    return (byte & 0xC0) == 0x80;
}

}  // namespace

std::optional<std::vector<uint8_t>> TextPayload(std::string_view text, size_t prefixSize) {
    if (text.size() > MaxTextLength(prefixSize)) return std::nullopt;
    std::vector<uint8_t> payload(prefixSize + text.size(), 0);
    PutU16(&payload[0], 200);
    PutU16(&payload[2], 0);
    if (!text.empty()) std::memcpy(&payload[prefixSize], text.data(), text.size());
    return payload;
}

std::optional<std::string> GameText(std::span<const uint8_t> payload, size_t prefixSize) {
    if (payload.size() < prefixSize) return std::nullopt;
    const std::span<const uint8_t> rest = payload.subspan(prefixSize);
    const auto nul = std::find(rest.begin(), rest.end(), uint8_t{0});
    size_t length = static_cast<size_t>(nul - rest.begin());
    if (length > kGameTextCut) {
        length = kGameTextCut;
        // The byte after the cut continues a character: drop that character's leading part.
        if (IsContinuation(rest[length])) {
            size_t lead = length;
            while (lead > 0 && IsContinuation(rest[lead - 1]) && length - lead < 3) --lead;
            if (lead > 0 && rest[lead - 1] >= 0xC0) length = lead - 1;
        }
    }
    return std::string(reinterpret_cast<const char*>(rest.data()), length);
}

}  // namespace plug
