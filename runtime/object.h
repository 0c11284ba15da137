#pragma once

#include <span>
#include <string>
#include <string_view>

#include "runtime/heap_object.h"
#include "runtime/ref.h"
#include "runtime/value.h"

namespace rt {

class ClassInfo;

// Base of every class of the program whose members are reached by name. A class declares
// RT_CLASS(Name) in its body and describes its members once with a ClassBuilder next to it.
// Objects are made by rt::create<T>(...) or by name (ClassInfo::create), which run the class's
// construction steps once the C++ object is complete.
class Object : public HeapObject {
public:
    virtual const ClassInfo& classInfo() const = 0;

    // By-name access through the class descriptor; names that are no member of the class or its
    // super classes go to the fallbacks below.
    Value get(std::string_view name);
    Value set(std::string_view name, const Value& v);
    Value call(std::string_view name, std::span<const Value> args);

    // The text form of the object; the class name unless a class says otherwise.
    virtual std::string toString() const;

protected:
    Object() noexcept : HeapObject(HeapKind::Object) {}

    // Fallbacks for names that are no member: reading gives null, writing and calling raise.
    virtual Value getMissing(std::string_view name);
    virtual Value setMissing(std::string_view name, const Value& v);
    virtual Value callMissing(std::string_view name, std::span<const Value> args);
};

template <class T>
requires std::derived_from<T, Object> Ref<T> Value::as()
const {
    if (type_ != ValueType::Object) return nullptr;
    return Ref<T>(dynamic_cast<T*>(static_cast<Object*>(u_.p)));
}

}  // namespace rt

// Declares the class descriptor of a class derived from rt::Object; define
// `const rt::ClassInfo& T::staticClassInfo()` with a ClassBuilder.
#define RT_CLASS(T)                                     \
public:                                                 \
    static const ::rt::ClassInfo& staticClassInfo();    \
    const ::rt::ClassInfo& classInfo() const override { \
        return staticClassInfo();                       \
    }
