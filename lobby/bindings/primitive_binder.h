#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>

#include "platform/cefhx/primitive_list.h"
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

// One primitive a binding class keeps in a static: the static, the name the program reads the
// static by, and the primitive's name and argument count in the host.
struct PrimitiveSlot {
    rt::Primitive* slot;
    const char* staticName;
    const char* name;
    int argCount;
};

// Binds every slot's primitive from the library.
void bindAll(const std::string& library, std::span<const PrimitiveSlot> slots);

// Adds each slot to a class as the static the program reads by name; answers the builder so
// that its chain goes on.
template <class Builder>
Builder& addPrimitiveStatics(Builder& builder, std::span<const PrimitiveSlot> slots) {
    for (const PrimitiveSlot& p : slots) builder.staticField(p.staticName, p.slot);
    return builder;
}
template <class Builder>
Builder& addPrimitiveStatics(Builder&& builder, std::span<const PrimitiveSlot> slots) {
    return addPrimitiveStatics(builder, slots);
}

}  // namespace bindings

// A slot of the binding class `BoundClass` (a name the file defines) from an entry of the host's
// primitive list: bindings::PrimitiveSlot k[] = {CEFHX_FRAME_PRIMITIVES(BINDINGS_PRIMITIVE_SLOT)}.
#define BINDINGS_PRIMITIVE_SLOT(name, count, member) {&BoundClass::member, #member, #name, count},
// The static of a binding class that holds one primitive of the host's list, in the class:
// CEFHX_FRAME_PRIMITIVES(BINDINGS_DECLARE_PRIMITIVE).
#define BINDINGS_DECLARE_PRIMITIVE(name, count, member) static inline rt::Primitive member;
// The primitive table kPrimitives of a binding class whose only statics to set up are its
// primitives, and the class's initStatics that binds them from `library`:
// BINDINGS_PRIMITIVE_CLASS(CefFrame, CEFHX_FRAME_PRIMITIVES, "cefhx").
#define BINDINGS_PRIMITIVE_CLASS(Class, LIST, library)                             \
    namespace {                                                                    \
    using BoundClass = Class;                                                      \
    const bindings::PrimitiveSlot kPrimitives[] = {LIST(BINDINGS_PRIMITIVE_SLOT)}; \
    }                                                                              \
    void Class::initStatics() {                                                    \
        bindings::bindAll(library, kPrimitives);                                   \
    }
