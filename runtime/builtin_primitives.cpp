#include "runtime/builtin_primitives.h"

#include <map>
#include <mutex>
#include <utility>

namespace rt {
namespace {

struct BuiltinTable {
    std::mutex mutex;
    std::map<std::pair<std::string, std::string>, Function::Body> entries;
};

BuiltinTable& table() {
    static auto* t = new BuiltinTable;
    return *t;
}

}  // namespace

BuiltinPrimitive::BuiltinPrimitive(const char* library, const char* name, int argCount,
                                   Function::Body body) {
    BuiltinTable& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    t.entries[{library, exportName(name, argCount)}] = std::move(body);
}

bool isBuiltinLibrary(const std::string& library) {
    return library == "std" || library == "regexp";
}

const Function::Body* findBuiltinPrimitive(const std::string& library,
                                           const std::string& exportName) {
    BuiltinTable& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.entries.find({library, exportName});
    return it == t.entries.end() ? nullptr : &it->second;
}

std::string exportName(const std::string& name, int argCount) {
    return name + "__" + (argCount > 5 ? std::string("MULT") : std::to_string(argCount));
}

}  // namespace rt
