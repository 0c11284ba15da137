#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "platform/shared/platform_log.h"
#include "runtime/abstract.h"
#include "runtime/c_value.h"
#include "runtime/exception.h"
#include "runtime/ref.h"
#include "runtime/value.h"

// Exports the primitive function `name` taking `count` arguments as "name__count", the form the
// runtime's loader binds by name.
#define MORVICK_PRIMITIVE(name, count)                                          \
    extern "C" __attribute__((visibility("default"))) void* name##__##count() { \
        return reinterpret_cast<void*>(&name);                                  \
    }

namespace platform {

// Runs a primitive's body and hands its result over; an exception never crosses the interface:
// it is logged as "<library>: <primitive> failed: <reason>" and the answer is `onError`.
template <class Body>
::value guarded(const char* library, const char* primitive, Body body,
                const rt::Value& onError = rt::Value()) {
    try {
        return rt::toC(body());
    } catch (const std::exception& e) {
        log(library, std::string(primitive) + " failed: " + e.what());
    }
    return rt::toC(onError);
}

// The text of an argument: a String as it is, null as the empty text, anything else in its text
// form.
inline std::string text(const rt::Value& v) {
    if (v.isNull()) return {};
    if (v.isString()) return std::string(v.str());
    return v.toString();
}

// Library handles: an opaque value of the library's kind holding a number. The number is looked
// up in the library's own table, so a stale or foreign handle is recognised and never
// dereferenced.
inline rt::Value makeHandle(const void* kind, int number) {
    return rt::Value(rt::make<rt::Abstract>(
        kind, reinterpret_cast<void*>(static_cast<uintptr_t>(static_cast<unsigned>(number)))));
}

// The number of a handle of the kind, or -1 for any other value.
inline int handleNumber(const void* kind, const rt::Value& v) {
    rt::Ref<rt::Abstract> a = v.asAbstract();
    if (!a || a->kind() != kind) return -1;
    return static_cast<int>(reinterpret_cast<uintptr_t>(a->data()));
}

}  // namespace platform
