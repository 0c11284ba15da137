#pragma once

#include "runtime/enum_info.h"

namespace cef {

// What a sizing or painting call of the browser is about: the page view or its popup. Crosses to
// the host as its index.
enum class PaintElementType { PET_VIEW, PET_POPUP };

// The enumeration "cef.PaintElementType", defined on first use.
const rt::EnumInfo& enumInfo(PaintElementType);

}  // namespace cef
