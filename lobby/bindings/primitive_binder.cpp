#include "lobby/bindings/primitive_binder.h"

#include <mutex>
#include <utility>

namespace bindings {
namespace {

struct LoaderSlot {
    std::mutex mutex;
    PrimitiveLoader loader;
};

LoaderSlot& slot() {
    static auto* s = new LoaderSlot;
    return *s;
}

}  // namespace

rt::Primitive bindPrimitive(const std::string& library, const std::string& name, int argCount) {
    PrimitiveLoader loader;
    {
        std::lock_guard<std::mutex> lock(slot().mutex);
        loader = slot().loader;
    }
    if (!loader) return rt::Primitive::load(library, name, argCount);
    return loader(library, name, argCount);
}

void bindAll(const std::string& library, std::span<const PrimitiveSlot> slots) {
    for (const PrimitiveSlot& p : slots) *p.slot = bindPrimitive(library, p.name, p.argCount);
}

PrimitiveLoader setPrimitiveLoader(PrimitiveLoader loader) {
    std::lock_guard<std::mutex> lock(slot().mutex);
    return std::exchange(slot().loader, std::move(loader));
}

}  // namespace bindings
