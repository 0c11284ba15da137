// PexmorPlug: texts behind the 516-byte prefix, queued texts in JSON batches, the room type on
// the command line, and a close primitive.

#include "plugins/core/host.h"
#include "plugins/core/lib.h"
#include "plugins/core/record_reader.h"
#include "plugins/pexmor/batching_process_manager.h"

namespace {

using plug::BatchingProcessManager;
using plug::ProcessManager;
namespace host = plug::host;

constexpr plug::Variant kPexmor{.textPrefix = plug::kWidePrefix,
                                .userFixedLength = plug::kUserFixedLengthWide,
                                .linkAlwaysRelinked = true};

ProcessManager* MakeManager(const plug::Variant& variant) {
    return new BatchingProcessManager(variant);
}

plug::Lib& TheLib() {
    return plug::LibOf<kPexmor, &MakeManager>();
}

}  // namespace

PLUG_COMMON_PRIMITIVES(TheLib)

static value plug_link(value handle, value path, value roomType) {
    return TheLib().Link(handle, path, host::val_int(roomType));
}

static value plug_send(value handle, value text, value immediate) {
    auto* manager = static_cast<BatchingProcessManager*>(TheLib().Manager(handle));
    if (manager == nullptr || !plug::IsString(text)) return nullptr;
    ProcessManager::Busy busy(manager);
    if (host::val_bool(immediate)) {
        manager->SendTextNow(host::val_string(text));
    } else {
        manager->QueueText(host::val_string(text));
    }
    return nullptr;
}

static value plug_closegame(value handle) {
    ProcessManager* manager = TheLib().Manager(handle);
    if (manager == nullptr) return host::alloc_bool(false);
    ProcessManager::Busy busy(manager);
    return host::alloc_bool(manager->CloseGame(true));
}

PLUG_EXPORT(plug_link, 3)
PLUG_EXPORT(plug_send, 3)
PLUG_EXPORT(plug_closegame, 1)
