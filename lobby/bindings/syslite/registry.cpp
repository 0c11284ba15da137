#include "lobby/bindings/syslite/registry.h"

#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/value_access.h"
#include "runtime/class_builder.h"

namespace syslite {
namespace {

struct Root {
    int32_t* slot;
    const char* name;
    int32_t value;
};

const Root kRoots[] = {
    {&Registry::HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", 0},
    {&Registry::HKEY_CURRENT_USER, "HKEY_CURRENT_USER", 1},
    {&Registry::HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", 2},
    {&Registry::HKEY_USERS, "HKEY_USERS", 3},
    {&Registry::HKEY_PERFORMANCE_DATA, "HKEY_PERFORMANCE_DATA", 4},
    {&Registry::HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG", 5},
    {&Registry::HKEY_DYN_DATA, "HKEY_DYN_DATA", 6},
};

using BoundClass = Registry;

const bindings::PrimitiveSlot kPrimitives[] = {
    SYSLITE_REGISTRY_PRIMITIVES(BINDINGS_PRIMITIVE_SLOT)};

}  // namespace

void Registry::initStatics() {
    for (const Root& r : kRoots) *r.slot = r.value;
    bindings::bindAll("syslite", kPrimitives);
}

std::optional<std::string> Registry::getValue(int32_t root, std::optional<std::string> key,
                                              std::optional<std::string> name) {
    return rt::fromValue<std::optional<std::string>>(_get_value(root, key, name));
}

void Registry::setValue(int32_t root, std::optional<std::string> key,
                        std::optional<std::string> name, std::optional<std::string> value) {
    _set_value(root, key, name, value);
}

void Registry::deleteKey(int32_t root, std::optional<std::string> key) {
    _delete_key(root, key);
}

const rt::ClassInfo& Registry::staticClassInfo() {
    static const rt::ClassInfo& info = []() -> const rt::ClassInfo& {
        rt::ClassBuilder<Registry> builder("syslite.Registry");
        for (const Root& r : kRoots) builder.staticField(r.name, r.slot);
        return bindings::addPrimitiveStatics(builder, kPrimitives)
            .staticMethods(RT_NAMED(Registry, getValue, setValue, deleteKey))
            .build();
    }();
    return info;
}

RT_REGISTER_CLASS(Registry);

}  // namespace syslite
