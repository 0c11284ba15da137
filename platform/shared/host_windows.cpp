#include "platform/shared/host_windows.h"

#include <atomic>

namespace {

std::atomic<const host_windows*> registered{nullptr};

}  // namespace

void host_windows_register(const host_windows* implementation) {
    registered.store(implementation);
}

const host_windows* host_windows_find(void) {
    return registered.load();
}
