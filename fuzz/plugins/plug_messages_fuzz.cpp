// Messages from a game process: any block is parsed or refused; a parsed one re-encodes to the
// same block, and a game text never exceeds its cut.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>

#include "plugins/core/message_header.h"
#include "plugins/core/text_channel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> block(data, size);
    if (const std::optional<plug::ReceivedView> message = plug::ParseMessage(block)) {
        const std::optional<std::vector<uint8_t>> again =
            plug::EncodeMessage(message->code, message->payload);
        if (!again || !std::equal(again->begin(), again->end(), block.begin(), block.end())) {
            std::abort();
        }
    }
    for (size_t prefix : {plug::kNarrowPrefix, plug::kWidePrefix}) {
        if (const std::optional<std::string> text = plug::GameText(block, prefix)) {
            if (text->size() > plug::kGameTextCut) std::abort();
        }
        const std::string_view asText(reinterpret_cast<const char*>(data), size);
        if (const std::optional<std::vector<uint8_t>> payload = plug::TextPayload(asText, prefix)) {
            const std::optional<std::string> back = plug::GameText(*payload, prefix);
            if (!back) std::abort();
            if (asText.size() <= plug::kGameTextCut &&
                asText.find('\0') == std::string_view::npos && *back != asText) {
                std::abort();
            }
        }
    }
    return 0;
}
