#pragma once

#include "runtime/enum_info.h"

namespace cef {

// The kind of a key event. Crosses to the host as its index.
enum class KeyType { KEY_UP, KEY_DOWN, KEY_CHAR };

// The enumeration "cef.KeyType", defined on first use.
const rt::EnumInfo& enumInfo(KeyType);

}  // namespace cef
