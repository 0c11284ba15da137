#pragma once

#include <functional>
#include <string>

#include "runtime/primitive.h"

namespace bindings {

// Makes the bound primitive `name` with `argCount` arguments of a native library.
using PrimitiveLoader =
    std::function<rt::Primitive(const std::string& library, const std::string& name, int argCount)>;

// Binds a primitive through the current loader: rt::Primitive::load, which loads the library by
// name, unless a test has put a loader of its own in place.
rt::Primitive bindPrimitive(const std::string& library, const std::string& name, int argCount);

// Puts `loader` in place of the current loader and answers the one it replaces; an empty
// loader restores rt::Primitive::load.
PrimitiveLoader setPrimitiveLoader(PrimitiveLoader loader);

}  // namespace bindings
