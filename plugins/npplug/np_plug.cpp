// npPlug: the game-host library of the plug-in game window. It starts the game program, links it
// over the message loop with the plug-in link protocol (texts behind the 4-byte prefix, sent at
// once) and calls the window back by member name: onPlugLink, onPlugMsg, onGameClose.

#include "plugins/core/lib.h"

namespace {

using plug::ProcessManager;

constexpr plug::Variant kNpPlug{};

plug::Lib& TheLib() {
    return plug::LibOf<kNpPlug>();
}

}  // namespace

static value np_create(value handler) {
    return TheLib().Create(handler);
}

// The window handle texts name the lobby window; the game links to the library's own hidden
// window instead, so they are not needed here.
static value np_link(value handle, value path, value, value) {
    return TheLib().Link(handle, path, std::nullopt);
}

// The link runs over the message loop's own copy-data messages: no system message of the window
// carries anything for the library. The handle is still checked, like every other primitive's.
static value np_onmsg(value handle, value, value) {
    TheLib().Manager(handle);
    return nullptr;
}

static value np_send(value handle, value text) {
    TheLib().Send(handle, text);
    return nullptr;
}

// Drops the link: the game keeps running, but no longer hears from or reaches the window. The
// library keeps the game, so a later np_link links it again and np_destroy ends it.
static value np_unlink(value handle) {
    if (ProcessManager* manager = TheLib().Manager(handle)) {
        ProcessManager::Busy busy(manager);
        manager->UnlinkGame();
    }
    return nullptr;
}

static value np_destroy(value handle) {
    TheLib().Destroy(handle);
    return nullptr;
}

PLUG_EXPORT(np_create, 1)
PLUG_EXPORT(np_link, 4)
PLUG_EXPORT(np_onmsg, 3)
PLUG_EXPORT(np_send, 2)
PLUG_EXPORT(np_unlink, 1)
PLUG_EXPORT(np_destroy, 1)
