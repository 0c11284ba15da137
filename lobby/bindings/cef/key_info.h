#pragma once

#include <cstdint>

#include "runtime/object.h"

namespace cef {

// The key of a key event: its code and whether it is a system or an input-method character.
class KeyInfo final : public rt::Object {
    RT_CLASS(KeyInfo)
public:
    bool imeChar = false;
    bool sysChar = false;
    int32_t key = 0;

    void construct(int32_t keyCode, bool system, bool ime);
};

}  // namespace cef
