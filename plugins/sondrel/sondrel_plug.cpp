// Sondrel: texts behind the 4-byte prefix, sent at once; the link acknowledgement is followed
// by (3,104).

#include "plugins/core/lib.h"

namespace {

using plug::ProcessManager;

constexpr plug::Variant kSondrel{
    .textPrefix = plug::kNarrowPrefix,
    .userFixedLength = plug::kUserFixedLengthNarrow,
    .linkCheckMs = 1000,
    .linkFollowUp = true,
    .linkAlwaysRelinked = false,
};

ProcessManager* MakeManager(const plug::Variant& variant) {
    return new ProcessManager(variant);
}

plug::Lib& TheLib() {
    static plug::Lib lib(kSondrel, &MakeManager);
    return lib;
}

}  // namespace

static value plug_create(value handler) {
    return TheLib().Create(handler);
}

static value plug_link(value handle, value path) {
    return TheLib().Link(handle, path, std::nullopt);
}

static value plug_send(value handle, value text) {
    TheLib().Send(handle, text);
    return nullptr;
}

static value plug_setuser(value handle, value user) {
    TheLib().SetUser(handle, user);
    return nullptr;
}

static value plug_setroom(value handle, value room) {
    TheLib().SetRoom(handle, room);
    return nullptr;
}

static value plug_destroy(value handle) {
    TheLib().Destroy(handle);
    return nullptr;
}

PLUG_EXPORT(plug_create, 1)
PLUG_EXPORT(plug_link, 2)
PLUG_EXPORT(plug_send, 2)
PLUG_EXPORT(plug_setuser, 2)
PLUG_EXPORT(plug_setroom, 2)
PLUG_EXPORT(plug_destroy, 1)
