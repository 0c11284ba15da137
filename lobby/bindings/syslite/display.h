#pragma once

#include <cstdint>

#include "runtime/object.h"
#include "runtime/primitive.h"

namespace syslite::win {

// The screen size and the display modes.
class Display final : public rt::Object {
    RT_CLASS(Display)
public:
    static inline rt::Primitive _get_screen_size;
    static inline rt::Primitive _display_set_mode;
    static inline rt::Primitive _display_set_default_mode;
    static inline rt::Primitive _display_is_mode_supported;

    // Binds the primitives from "syslite".
    static void initStatics();

    // The library's record {w, h}: the screen's width and height in pixels.
    static rt::Value getScreenSize();
    static bool setMode(int32_t a, int32_t b, int32_t c);
    static void setDefaultMode();
    static bool isModeSupported(int32_t a, int32_t b, int32_t c);
};

}  // namespace syslite::win
