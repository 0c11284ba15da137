#pragma once
// The game process's command line: the program path, optionally "/RoomType:" with the room
// type, and "/Transmittal:" with the hidden window's handle as a signed 64-bit number.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace plug {

// The command line buffer holds 260 UTF-16 units with the terminating NUL.
inline constexpr size_t kMaxCommandLine = 259;

// Nothing when the result would pass kMaxCommandLine UTF-16 units: a cut line would lose the
// window handle the game links to.
std::optional<std::u16string> FormatCommandLine(std::u16string_view path,
                                                std::optional<int32_t> roomType, int64_t window);

}  // namespace plug
