#include "lobby/bindings/system_name.h"

#include <mutex>
#include <utility>

namespace bindings {
namespace {

struct NameSlot {
    std::mutex mutex;
    std::string name = "Windows";
};

NameSlot& slot() {
    static auto* s = new NameSlot;
    return *s;
}

}  // namespace

std::string systemName() {
    std::lock_guard<std::mutex> lock(slot().mutex);
    return slot().name;
}

void setSystemName(std::string name) {
    std::lock_guard<std::mutex> lock(slot().mutex);
    slot().name = std::move(name);
}

}  // namespace bindings
