#include "lobby/bindings/syslite/display.h"

#include "lobby/bindings/primitive_binder.h"
#include "runtime/class_builder.h"

namespace syslite::win {

void Display::initStatics() {
    _get_screen_size = bindings::bindPrimitive("syslite", "display_get_screen_size", 0);
    _display_set_mode = bindings::bindPrimitive("syslite", "display_set_mode", 3);
    _display_set_default_mode = bindings::bindPrimitive("syslite", "display_set_default_mode", 0);
    _display_is_mode_supported = bindings::bindPrimitive("syslite", "display_is_mode_supported", 3);
}

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
        rt::ClassBuilder<Display>("syslite.win.Display")
            .staticField("_get_screen_size", &_get_screen_size)
            .staticField("_display_set_mode", &_display_set_mode)
            .staticField("_display_set_default_mode", &_display_set_default_mode)
            .staticField("_display_is_mode_supported", &_display_is_mode_supported)
            .staticMethod("getScreenSize", &Display::getScreenSize)
            .staticMethod("setMode", &Display::setMode)
            .staticMethod("setDefaultMode", &Display::setDefaultMode)
            .staticMethod("isModeSupported", &Display::isModeSupported)
            .build();
    return info;
}

RT_REGISTER_CLASS(Display);

}  // namespace syslite::win
