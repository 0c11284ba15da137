#pragma once

#include "runtime/enum_info.h"

namespace cef {

// The mouse button of a click event. Crosses to the host as its index.
enum class MouseButtonType { MOUSE_LEFT, MOUSE_MIDDLE, MOUSE_RIGHT };

// The enumeration "cef.MouseButtonType", defined on first use.
const rt::EnumInfo& enumInfo(MouseButtonType);

}  // namespace cef
