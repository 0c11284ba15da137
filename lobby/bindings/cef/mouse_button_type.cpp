#include "lobby/bindings/cef/mouse_button_type.h"

namespace cef {

const rt::EnumInfo& enumInfo(MouseButtonType) {
    static const rt::EnumInfo& info =
        rt::EnumInfo::define("cef.MouseButtonType", {"MOUSE_LEFT", "MOUSE_MIDDLE", "MOUSE_RIGHT"});
    return info;
}

}  // namespace cef
