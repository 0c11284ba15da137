#include "runtime/object.h"

#include "runtime/class_info.h"
#include "runtime/exception.h"
#include "runtime/function.h"

namespace rt {

Value Object::get(std::string_view name) {
    const Member* m = classInfo().member(name);
    if (!m) return getMissing(name);
    if (m->kind != Member::Kind::Operation) return m->get ? m->get(*this) : Value();
    Ref<Object> self(this);
    return Function::of(classInfo().name() + "." + m->name,
                        [self, m](std::span<const Value> args) { return m->call(*self, args); });
}

Value Object::set(std::string_view name, const Value& v) {
    const Member* m = classInfo().member(name);
    if (!m) return setMissing(name, v);
    if (!m->set) {
        throw Exception("Member " + classInfo().name() + "." + m->name + " cannot be written");
    }
    return m->set(*this, v);
}

Value Object::call(std::string_view name, std::span<const Value> args) {
    const Member* m = classInfo().member(name);
    if (!m) return callMissing(name, args);
    if (m->kind == Member::Kind::Operation) return m->call(*this, args);
    Value f = m->get ? m->get(*this) : Value();
    if (!f.isFunction()) {
        throw Exception("Member " + classInfo().name() + "." + m->name + " is " +
                        typeName(f.type()) + ", not a function");
    }
    return f.call(args);
}

std::string Object::toString() const {
    return classInfo().name();
}

Value Object::getMissing(std::string_view) {
    return {};
}

Value Object::setMissing(std::string_view name, const Value&) {
    throw Exception("Class " + classInfo().name() + " has no member " + std::string(name) +
                    " to write");
}

Value Object::callMissing(std::string_view name, std::span<const Value>) {
    throw Exception("Class " + classInfo().name() + " has no member " + std::string(name) +
                    " to call");
}

}  // namespace rt
