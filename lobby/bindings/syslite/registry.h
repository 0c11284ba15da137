#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/syslite/primitive_list.h"
#include "runtime/object.h"
#include "runtime/primitive.h"

namespace syslite {

// The system registry: values under a root and a key path.
class Registry final : public rt::Object {
    RT_CLASS(Registry)
public:
    // The registry roots.
    static inline int32_t HKEY_CLASSES_ROOT = 0;
    static inline int32_t HKEY_CURRENT_USER = 0;
    static inline int32_t HKEY_LOCAL_MACHINE = 0;
    static inline int32_t HKEY_USERS = 0;
    static inline int32_t HKEY_PERFORMANCE_DATA = 0;
    static inline int32_t HKEY_CURRENT_CONFIG = 0;
    static inline int32_t HKEY_DYN_DATA = 0;

    SYSLITE_REGISTRY_PRIMITIVES(BINDINGS_DECLARE_PRIMITIVE)

    // Sets the roots and binds the primitives from "syslite".
    static void initStatics();

    static std::optional<std::string> getValue(int32_t root, std::optional<std::string> key,
                                               std::optional<std::string> name);
    static void setValue(int32_t root, std::optional<std::string> key,
                         std::optional<std::string> name, std::optional<std::string> value);
    static void deleteKey(int32_t root, std::optional<std::string> key);
};

}  // namespace syslite
