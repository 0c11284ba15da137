#include "lobby/bindings/syslite/tray.h"

#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/value_access.h"
#include "runtime/class_builder.h"

namespace syslite::win {

void Tray::initStatics() {
    _systray_create_icon = bindings::bindPrimitive("syslite", "systray_create_icon", 3);
    _systray_destroy_icon = bindings::bindPrimitive("syslite", "systray_destroy_icon", 1);
    _systray_menu_callback = bindings::bindPrimitive("syslite", "systray_menu_callback", 0);
}

void Tray::construct(rt::Value owner, std::optional<std::string> iconPath,
                     std::optional<std::string> tooltip) {
    t = _systray_create_icon(owner, iconPath, tooltip);
}

void Tray::dispose() {
    _systray_destroy_icon(t);
}

const rt::ClassInfo& Tray::staticClassInfo() {
    static const rt::ClassInfo& info =
        rt::ClassBuilder<Tray>("syslite.win.Tray")
            .staticField("_systray_create_icon", &_systray_create_icon)
            .staticField("_systray_destroy_icon", &_systray_destroy_icon)
            .staticField("_systray_menu_callback", &_systray_menu_callback)
            .field("t", &Tray::t)
            .method("dispose", &Tray::dispose)
            .constructor(&Tray::construct)
            .build();
    return info;
}

RT_REGISTER_CLASS(Tray);

}  // namespace syslite::win
