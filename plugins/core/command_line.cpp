#include "plugins/core/command_line.h"

#include <cinttypes>
#include <cstdio>

namespace plug {

std::optional<std::u16string> FormatCommandLine(std::u16string_view path,
                                                std::optional<int32_t> roomType, int64_t window) {
    char tail[96];
    if (roomType) {
        std::snprintf(tail, sizeof tail, " /RoomType:%" PRId32 " /Transmittal:%" PRId64, *roomType,
                      window);
    } else {
        std::snprintf(tail, sizeof tail, " /Transmittal:%" PRId64, window);
    }
    std::u16string line(path);
    for (const char* at = tail; *at != '\0'; ++at) line += static_cast<char16_t>(*at);
    if (line.size() > kMaxCommandLine) return std::nullopt;
    return line;
}

}  // namespace plug
