#include "lobby/bindings/syslite/display.h"

#include "lobby/bindings/primitive_binder.h"
#include "runtime/class_builder.h"

namespace syslite::win {
BINDINGS_PRIMITIVE_CLASS(Display, SYSLITE_DISPLAY_PRIMITIVES, "syslite")

rt::Value Display::getScreenSize() {
    return _get_screen_size();
}

bool Display::setMode(int32_t a, int32_t b, int32_t c) {
    return _display_set_mode(a, b, c).toBool();
}

void Display::setDefaultMode() {
    _display_set_default_mode();
}

bool Display::isModeSupported(int32_t a, int32_t b, int32_t c) {
    return _display_is_mode_supported(a, b, c).toBool();
}

const rt::ClassInfo& Display::staticClassInfo() {
    static const rt::ClassInfo& info =
        bindings::addPrimitiveStatics(rt::ClassBuilder<Display>("syslite.win.Display"), kPrimitives)
            .staticMethods(
                RT_NAMED(Display, getScreenSize, setMode, setDefaultMode, isModeSupported))
            .build();
    return info;
}

RT_REGISTER_CLASS(Display);

}  // namespace syslite::win
