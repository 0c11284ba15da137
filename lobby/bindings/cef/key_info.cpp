#include "lobby/bindings/cef/key_info.h"

#include "runtime/class_builder.h"

namespace cef {

void KeyInfo::construct(int32_t keyCode, bool system, bool ime) {
    key = keyCode;
    sysChar = system;
    imeChar = ime;
}

const rt::ClassInfo& KeyInfo::staticClassInfo() {
    static const rt::ClassInfo& info = rt::ClassBuilder<KeyInfo>("cef.KeyInfo")
                                           .fields(RT_NAMED(KeyInfo, imeChar, sysChar, key))
                                           .constructor(&KeyInfo::construct)
                                           .build();
    return info;
}

RT_REGISTER_CLASS(KeyInfo);

}  // namespace cef
