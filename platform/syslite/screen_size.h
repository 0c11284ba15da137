#pragma once

#include <optional>
#include <string>

namespace syslite {

struct ScreenSize {
    int width = 0;
    int height = 0;
    std::string source;  // where the size came from, for the log
};

// The screen size in pixels: the answers file's "screen" ("1920x1080") first, then the X
// display named by $DISPLAY, then the first connected display output the kernel lists, and
// last a fixed 1920x1080.
ScreenSize screenSize();

// "WxH" with both numbers positive; nothing otherwise.
std::optional<ScreenSize> parseScreenSize(const std::string& text);

}  // namespace syslite
