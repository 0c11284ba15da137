#include "runtime/name_table.h"

#include <deque>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <unordered_map>

namespace rt {
namespace {

struct NameTable {
    std::shared_mutex mutex;
    std::deque<std::string> names;  // a deque keeps every stored name at its address
    std::unordered_map<std::string_view, int> ids;
};

// Never destroyed: names are read until the very end of the process.
NameTable& table() {
    static auto* t = new NameTable;
    return *t;
}

}  // namespace

int nameId(std::string_view name) {
    NameTable& t = table();
    {
        std::shared_lock lock(t.mutex);
        if (auto it = t.ids.find(name); it != t.ids.end()) return it->second;
    }
    std::unique_lock lock(t.mutex);
    if (auto it = t.ids.find(name); it != t.ids.end()) return it->second;
    const std::string& stored = t.names.emplace_back(name);
    int id = static_cast<int>(t.names.size());
    t.ids.emplace(stored, id);
    return id;
}

const char* nameOf(int id) {
    NameTable& t = table();
    std::shared_lock lock(t.mutex);
    if (id < 1 || id > static_cast<int>(t.names.size())) return nullptr;
    return t.names[static_cast<size_t>(id) - 1].c_str();
}

std::string_view nameText(int id) {
    NameTable& t = table();
    std::shared_lock lock(t.mutex);
    if (id < 1 || id > static_cast<int>(t.names.size())) return {};
    return t.names[static_cast<size_t>(id) - 1];
}

}  // namespace rt
