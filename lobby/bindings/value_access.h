#pragma once

#include <atomic>
#include <optional>
#include <string>

#include "runtime/convert.h"
#include "runtime/ref.h"
#include "runtime/value.h"

// How the field and argument types of the binding classes cross to and from Values, beyond the
// runtime's own conversions.
namespace rt {

// A text that may be null: null stays null, a String is taken as it is and any other value by
// its text form.
template <>
struct Convert<std::optional<std::string>> {
    static Value to(const std::optional<std::string>& s) { return s ? Value(*s) : Value(); }
    static std::optional<std::string> from(const Value& v) {
        if (v.isNull()) return std::nullopt;
        if (v.isString()) return std::string(v.str());
        return v.toString();
    }
};

// A flag that other threads read: by name it reads and writes as a Bool.
template <>
struct FieldAccess<std::atomic<bool>> {
    static Value get(const std::atomic<bool>& f) { return f.load(); }
    static void set(std::atomic<bool>& f, const Value& v) { f.store(v.toBool()); }
};

// A back-reference: by name it reads as its target (null once the target is gone) and writing
// keeps the new target without owning it.
template <class T>
struct FieldAccess<WeakRef<T>> {
    static Value get(const WeakRef<T>& f) { return Convert<Ref<T>>::to(f.lock()); }
    static void set(WeakRef<T>& f, const Value& v) { f = WeakRef<T>(Convert<Ref<T>>::from(v)); }
};

}  // namespace rt
