#pragma once
// The primitives of the libraries whose texts carry the 4-byte prefix (RavoPlug, Sondrel): the
// common ones, and link and send with two arguments. `theLib` names the library's function
// answering its plug::Lib.

#include "plugins/core/lib.h"

#define PLUG_NARROW_PRIMITIVES(theLib)                    \
    PLUG_COMMON_PRIMITIVES(theLib)                        \
    static value plug_link(value handle, value path) {    \
        return theLib().Link(handle, path, std::nullopt); \
    }                                                     \
    static value plug_send(value handle, value text) {    \
        theLib().Send(handle, text);                      \
        return nullptr;                                   \
    }                                                     \
    PLUG_EXPORT(plug_link, 2)                             \
    PLUG_EXPORT(plug_send, 2)
