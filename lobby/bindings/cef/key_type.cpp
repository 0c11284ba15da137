#include "lobby/bindings/cef/key_type.h"

namespace cef {

const rt::EnumInfo& enumInfo(KeyType) {
    static const rt::EnumInfo& info =
        rt::EnumInfo::define("cef.KeyType", {"KEY_UP", "KEY_DOWN", "KEY_CHAR"});
    return info;
}

}  // namespace cef
