#pragma once

#include <string_view>

namespace morvick {

// Cuts the first line off the text and answers it, without its separator; the text keeps what
// follows the separator (nothing after the last line).
inline std::string_view takeLine(std::string_view& text, char separator = '\n') {
    const size_t end = text.find(separator);
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    return line;
}

}  // namespace morvick
