#pragma once

#include <cstdint>

namespace lobby {

// The screen and window-frame sizes the windows lay themselves out by, read once at start-up.
class ScreenMetrics {
public:
    // Screen size in pixels.
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    // Usable screen height (without the task bar).
    int32_t windowFullHeight = 0;
    // Initial size of the lobby and game windows: 80 % of the screen width and usable height.
    int32_t windowInitW = 0;
    int32_t windowInitH = 0;
    // Frame and caption sizes, for window geometry.
    int32_t borderX = 0;
    int32_t borderY = 0;
    int32_t captionHeight = 0;

    // Asks the system for the screen size and the browser host for the frame metrics.
    void read();
};

// The screen metrics of the running application.
ScreenMetrics& screenMetrics();

}  // namespace lobby
