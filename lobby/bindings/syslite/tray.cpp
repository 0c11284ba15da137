#include "lobby/bindings/syslite/tray.h"

#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/value_access.h"
#include "runtime/class_builder.h"

namespace syslite::win {
BINDINGS_PRIMITIVE_CLASS(Tray, SYSLITE_TRAY_PRIMITIVES, "syslite")

void Tray::construct(rt::Value owner, std::optional<std::string> iconPath,
                     std::optional<std::string> tooltip) {
    t = _systray_create_icon(owner, iconPath, tooltip);
}

void Tray::dispose() {
    _systray_destroy_icon(t);
}

const rt::ClassInfo& Tray::staticClassInfo() {
    static const rt::ClassInfo& info =
        bindings::addPrimitiveStatics(rt::ClassBuilder<Tray>("syslite.win.Tray"), kPrimitives)
            .field("t", &Tray::t)
            .method("dispose", &Tray::dispose)
            .constructor(&Tray::construct)
            .build();
    return info;
}

RT_REGISTER_CLASS(Tray);

}  // namespace syslite::win
