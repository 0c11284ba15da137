// What a message posted to a host window means for the window object: a state notice that calls
// a member (on_size, on_minimize, ...), a system message for onSystemMessage (hot key, tray, new
// copy, copy-data text), a close request, or none of these. Both hosts deliver it their way.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/value.h"

namespace cefhx {

struct WindowMessage {
    enum class Kind { Member, System, Close, Other };
    Kind kind = Kind::Other;
    // Member: the window object's member to call.
    const char* member = nullptr;
    // System: onSystemMessage(systemKind, a, b).
    std::string systemKind;
    rt::Value a;
    rt::Value b;
};

WindowMessage decodeWindowMessage(uint32_t msg, uintptr_t wparam, intptr_t lparam);

}  // namespace cefhx
