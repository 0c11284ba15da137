#pragma once
// Texts between the game window and the game process travel as game data behind a prefix: the
// game-data header (200,0), followed by zero bytes up to the library's prefix size.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace plug {

inline constexpr size_t kWidePrefix = 516;
inline constexpr size_t kNarrowPrefix = 4;
// Longest game text handed to the game window.
inline constexpr size_t kGameTextCut = 1024;

// The longest text that fits one message behind the prefix.
constexpr size_t MaxTextLength(size_t prefixSize) {
    return 10232 - prefixSize;
}

// Prefix and text bytes (no terminating NUL); nothing when the text is too long to send.
std::optional<std::vector<uint8_t>> TextPayload(std::string_view text, size_t prefixSize);

// The text of a game text message: nothing when the payload is shorter than the prefix;
// otherwise the bytes after the prefix up to the first NUL, the end or kGameTextCut bytes.
// A cut at kGameTextCut backs off to the start of a UTF-8 character it would split.
std::optional<std::string> GameText(std::span<const uint8_t> payload, size_t prefixSize);

}  // namespace plug
