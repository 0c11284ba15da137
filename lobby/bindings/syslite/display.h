#pragma once

#include <cstdint>

#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/syslite/primitive_list.h"
#include "runtime/object.h"
#include "runtime/primitive.h"

namespace syslite::win {

// The screen size and the display modes.
class Display final : public rt::Object {
    RT_CLASS(Display)
public:
    SYSLITE_DISPLAY_PRIMITIVES(BINDINGS_DECLARE_PRIMITIVE)

    // Binds the primitives from "syslite".
    static void initStatics();

    // The library's record {w, h}: the screen's width and height in pixels.
    static rt::Value getScreenSize();
    static bool setMode(int32_t a, int32_t b, int32_t c);
    static void setDefaultMode();
    static bool isModeSupported(int32_t a, int32_t b, int32_t c);
};

}  // namespace syslite::win
