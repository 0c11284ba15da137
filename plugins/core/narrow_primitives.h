#pragma once
// The six primitives of the libraries whose texts carry the 4-byte prefix (RavoPlug, Sondrel):
// create, link and send with two arguments, user, room, destroy. `theLib` names the library's
// function answering its plug::Lib.

#include "plugins/core/lib.h"

#define PLUG_NARROW_PRIMITIVES(theLib)                    \
    static value plug_create(value handler) {             \
        return theLib().Create(handler);                  \
    }                                                     \
    static value plug_link(value handle, value path) {    \
        return theLib().Link(handle, path, std::nullopt); \
    }                                                     \
    static value plug_send(value handle, value text) {    \
        theLib().Send(handle, text);                      \
        return nullptr;                                   \
    }                                                     \
    static value plug_setuser(value handle, value user) { \
        theLib().SetUser(handle, user);                   \
        return nullptr;                                   \
    }                                                     \
    static value plug_setroom(value handle, value room) { \
        theLib().SetRoom(handle, room);                   \
        return nullptr;                                   \
    }                                                     \
    static value plug_destroy(value handle) {             \
        theLib().Destroy(handle);                         \
        return nullptr;                                   \
    }                                                     \
    PLUG_EXPORT(plug_create, 1)                           \
    PLUG_EXPORT(plug_link, 2)                             \
    PLUG_EXPORT(plug_send, 2)                             \
    PLUG_EXPORT(plug_setuser, 2)                          \
    PLUG_EXPORT(plug_setroom, 2)                          \
    PLUG_EXPORT(plug_destroy, 1)
