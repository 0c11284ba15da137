#pragma once
// The primitive layer shared by the plug-in libraries: plug-in handles over process managers,
// the library's handler object and event sink, and the common primitives.

#include "platform/shared/no_copy.h"
#include "plugins/core/process_manager.h"
#include "plugins/core/records.h"
#include "plugins/core/text_channel.h"
#include "plugins/core/variant.h"
#include "runtime/cffi/hx_cffi.h"

#include <memory>
#include <vector>

// Every primitive is exported as NAME__ARGS, answering the primitive's address.
#define PLUG_EXPORT(name, args)                                                \
    extern "C" __attribute__((visibility("default"))) void* name##__##args() { \
        return reinterpret_cast<void*>(&name);                                 \
    }

// The primitives every plug-in library has alike: create, user, room and destroy. `theLib`
// names the library's function answering its plug::Lib.
#define PLUG_COMMON_PRIMITIVES(theLib)                    \
    static value plug_create(value handler) {             \
        return theLib().Create(handler);                  \
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
    PLUG_EXPORT(plug_setuser, 2)                          \
    PLUG_EXPORT(plug_setroom, 2)                          \
    PLUG_EXPORT(plug_destroy, 1)

namespace plug {

class Lib : private morvick::NoCopy {
public:
    using MakeManager = ProcessManager* (*)(const Variant&);

    Lib(const Variant& variant, MakeManager make);

    value Create(value handler);
    void Destroy(value handle);

    // The handle's process manager, or null when the handle holds none any more. A value that
    // is not a handle of this library ends the program through the host ("invalid kind").
    ProcessManager* Manager(value handle);

    value Link(value handle, value path, const std::optional<int32_t>& roomType);
    void Send(value handle, value text);
    void SetUser(value handle, value user);
    void SetRoom(value handle, value room);
    // Sends a record built from the handle's game window object; nothing without a manager.
    void SendRecord(value handle, MessageCode code, const Bytes& record);

    const Variant& variant() const { return variant_; }
    value handler() const { return handler_; }

private:
    struct HandleBox {
        ProcessManager* manager = nullptr;
    };
    class Sink;

    HandleBox* Box(value handle);

    Variant variant_;
    MakeManager make_;
    value handler_ = nullptr;
    std::shared_ptr<Sink> sink_;
    // Boxes outlive their managers, so a handle used after destroy finds an empty box; they are
    // freed with the library.
    std::vector<std::unique_ptr<HandleBox>> boxes_;
};

// The plain process manager, for the libraries that add nothing to it.
ProcessManager* MakePlainManager(const Variant& variant);

// A library's one Lib, made on first use.
template <const Variant& kVariant, Lib::MakeManager kMake = &MakePlainManager>
Lib& LibOf() {
    static Lib lib(kVariant, kMake);
    return lib;
}

}  // namespace plug
