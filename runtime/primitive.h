#pragma once

#include <array>
#include <span>
#include <string>
#include <utility>

#include "runtime/convert.h"
#include "runtime/value.h"

namespace rt {

// Binds the primitive `name` with `argCount` arguments from a native library:
//  - the library is found by name in the program's own folder first, then on the system path
//    ("X" is the file "libX.so"; "X.dll" is "libX.so" when no file "X.dll" exists); it is
//    loaded once and kept for the process's life. The runtime's own libraries "std" and
//    "regexp" resolve inside the runtime.
//  - the export "name__N" (N the argument count, 0 to 5) or "name__MULT" (more than 5; the
//    primitive then takes (value* args, int n)) is a function of no arguments that answers the
//    primitive's address.
// Answers a Function that calls the primitive inside its own value scope. A library that cannot
// be loaded raises "Could not load module <library>@<name>"; a missing export writes
// "Could not find primitive <export>.\n" to standard error and answers null.
Value loadPrimitive(const std::string& library, const std::string& name, int argCount);

// A bound primitive as a binding class keeps it in a static: readable and replaceable by name
// (a replacement is any Function, such as a test's recording fake, or null). Calling it while it
// is null raises an error that names the primitive.
class Primitive {
public:
    Primitive() = default;
    static Primitive load(std::string library, std::string name, int argCount);

    const std::string& library() const noexcept { return library_; }
    const std::string& name() const noexcept { return name_; }
    const Value& function() const noexcept { return fn_; }
    bool isNull() const noexcept { return fn_.isNull(); }
    // A Function or null; anything else raises.
    void replace(const Value& fn);

    Value call(std::span<const Value> args) const;
    template <class... A>
    Value operator()(A&&... args) const {
        std::array<Value, sizeof...(A)> values{argument(std::forward<A>(args))...};
        return call(values);
    }

private:
    Primitive(std::string library, std::string name, Value fn)
        : library_(std::move(library)), name_(std::move(name)), fn_(std::move(fn)) {}

    template <class A>
    static Value argument(A&& a) {
        if constexpr (std::is_constructible_v<Value, A>) {
            return Value(std::forward<A>(a));
        } else {
            return toValue(a);
        }
    }

    std::string library_;
    std::string name_;
    Value fn_;
};

template <>
struct FieldAccess<Primitive> {
    static Value get(const Primitive& p) { return p.function(); }
    static void set(Primitive& p, const Value& v) { p.replace(v); }
};

}  // namespace rt
