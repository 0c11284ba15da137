#include "lobby/bindings/cef/paint_element_type.h"

namespace cef {

const rt::EnumInfo& enumInfo(PaintElementType) {
    static const rt::EnumInfo& info =
        rt::EnumInfo::define("cef.PaintElementType", {"PET_VIEW", "PET_POPUP"});
    return info;
}

}  // namespace cef
