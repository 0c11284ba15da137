#pragma once

#include <utility>

#include "runtime/ref.h"

namespace rt {

// Two-phase construction: makes the complete C++ object first, then runs its construction steps
// `construct(args...)`, which call their base's steps first. Virtual operations called during
// the steps reach the most-derived override, and a host that calls back into the object during
// them finds it complete and referenced.
template <class T, class... Args>
Ref<T> create(Args&&... args) {
    Ref<T> o = make<T>();
    if constexpr (requires { o->construct(std::forward<Args>(args)...); }) {
        o->construct(std::forward<Args>(args)...);
    } else {
        static_assert(sizeof...(Args) == 0, "the class has no construct(...) for these arguments");
    }
    return o;
}

}  // namespace rt
