#pragma once

#include <concepts>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <type_traits>
#include <utility>

#include "runtime/class_info.h"
#include "runtime/convert.h"
#include "runtime/create.h"
#include "runtime/named_member.h"

namespace rt {

namespace detail {

template <class M>
struct MemberFn;
template <class C, class R, class... A>
struct MemberFn<R (C::*)(A...)> {
    using Class = C;
    template <class F>
    static Value invoke(F f, C& self, std::span<const Value> args) {
        return invokeConverted<A...>([&](A... a) -> R { return (self.*f)(std::forward<A>(a)...); },
                                     args);
    }
};
template <class C, class R, class... A>
struct MemberFn<R (C::*)(A...) const> : MemberFn<R (C::*)(A...)> {
    template <class F>
    static Value invoke(F f, const C& self, std::span<const Value> args) {
        return invokeConverted<A...>([&](A... a) -> R { return (self.*f)(std::forward<A>(a)...); },
                                     args);
    }
};
template <class C, class R, class... A>
struct MemberFn<R (C::*)(A...) noexcept> : MemberFn<R (C::*)(A...)> {};
template <class C, class R, class... A>
struct MemberFn<R (C::*)(A...) const noexcept> : MemberFn<R (C::*)(A...) const> {};

}  // namespace detail

// Describes a class once, next to it:
//
//   const rt::ClassInfo& Size::staticClassInfo() {
//       static const rt::ClassInfo& info = rt::ClassBuilder<Size>("cef.Size")
//           .field("height", &Size::height)
//           .field("width", &Size::width)
//           .constructor(&Size::construct)
//           .build();
//       return info;
//   }
//
// Members are named once; typed members convert their values with rt::Convert. Members whose
// by-name string is their C++ name can be listed in one step each kind:
//
//   rt::ClassBuilder<Size>("cef.Size").fields(RT_NAMED(Size, height, width))
//
// registers them in the order listed. Members of the super class are inherited and reached
// through C++ virtuals where the subclass overrides them.
template <class T>
class ClassBuilder {
public:
    explicit ClassBuilder(std::string name) : info_(new ClassInfo(std::move(name), nullptr)) {}

    template <class B>
    requires std::derived_from<T, B> && std::derived_from<B, Object> ClassBuilder& extends() {
        info_->super_ = &B::staticClassInfo();
        return *this;
    }

    // An instance field, written with the conversion of its type.
    template <class F, class C>
    requires std::derived_from<T, C> ClassBuilder& field(std::string name, F C::*member) {
        info_->addMember({std::move(name),
                          Member::Kind::Field,
                          [member](Object& o) { return FieldAccess<F>::get(self(o).*member); },
                          [member](Object& o, const Value& v) {
                              FieldAccess<F>::set(self(o).*member, v);
                              return FieldAccess<F>::get(self(o).*member);
                          },
                          {}});
        return *this;
    }

    // An operation with typed arguments and result; missing arguments are null.
    template <class M>
    requires std::is_member_function_pointer_v<M> ClassBuilder& method(std::string name, M fn) {
        static_assert(std::derived_from<T, typename detail::MemberFn<M>::Class>);
        info_->addMember({std::move(name),
                          Member::Kind::Operation,
                          {},
                          {},
                          [fn](Object& o, std::span<const Value> args) {
                              return detail::MemberFn<M>::invoke(fn, self(o), args);
                          }});
        return *this;
    }

    // An operation that takes its arguments as Values.
    ClassBuilder& method(std::string name, std::function<Value(T&, std::span<const Value>)> fn) {
        info_->addMember({std::move(name),
                          Member::Kind::Operation,
                          {},
                          {},
                          [fn = std::move(fn)](Object& o, std::span<const Value> args) {
                              return fn(self(o), args);
                          }});
        return *this;
    }

    // A property `name` read through its getter and written through its setter (whose result is
    // the property's new value). The accessors are also operations "get_<name>" and
    // "set_<name>".
    template <class G, class S>
    requires std::is_member_function_pointer_v<G> && std::is_member_function_pointer_v<S>
        ClassBuilder& property(std::string name, G getter, S setter) {
        method("get_" + name, getter);
        method("set_" + name, setter);
        info_->addMember(
            {std::move(name),
             Member::Kind::Property,
             [getter](Object& o) { return detail::MemberFn<G>::invoke(getter, self(o), {}); },
             [setter](Object& o, const Value& v) {
                 return detail::MemberFn<S>::invoke(setter, self(o), {&v, 1});
             },
             {}});
        return *this;
    }

    // A read-only property.
    template <class G>
    requires std::is_member_function_pointer_v<G> ClassBuilder& property(std::string name,
                                                                         G getter) {
        method("get_" + name, getter);
        info_->addMember(
            {std::move(name),
             Member::Kind::Property,
             [getter](Object& o) { return detail::MemberFn<G>::invoke(getter, self(o), {}); },
             {},
             {}});
        return *this;
    }

    // A static variable, readable and replaceable by name.
    template <class F>
    ClassBuilder& staticField(std::string name, F* variable) {
        info_->addStatic({std::move(name),
                          StaticMember::Kind::Field,
                          [variable] { return FieldAccess<F>::get(*variable); },
                          [variable](const Value& v) {
                              FieldAccess<F>::set(*variable, v);
                              return FieldAccess<F>::get(*variable);
                          },
                          {}});
        return *this;
    }

    // A static operation with typed arguments and result.
    template <class R, class... A>
    ClassBuilder& staticMethod(std::string name, R (*fn)(A...)) {
        info_->addStatic({std::move(name),
                          StaticMember::Kind::Operation,
                          {},
                          {},
                          [fn](std::span<const Value> args) {
                              return detail::invokeConverted<A...>(fn, args);
                          }});
        return *this;
    }

    // One step of a kind for each member of an RT_NAMED list, in the order listed.
    template <class... M>
    ClassBuilder& fields(Named<M>... members) {
        return (field(members.name, members.member), ..., *this);
    }
    template <class... M>
    ClassBuilder& methods(Named<M>... members) {
        return (method(members.name, members.member), ..., *this);
    }
    template <class... F>
    ClassBuilder& staticFields(Named<F*>... variables) {
        return (staticField(variables.name, variables.member), ..., *this);
    }
    template <class... M>
    ClassBuilder& staticMethods(Named<M>... functions) {
        return (staticMethod(functions.name, functions.member), ..., *this);
    }

    // Create-by-name with no construction steps: the object is made with its default
    // constructor and the arguments are ignored.
    ClassBuilder& constructor() {
        info_->creator_ = [](std::span<const Value>) -> Ref<Object> { return create<T>(); };
        return *this;
    }

    // Create-by-name through the construction steps `construct`, with converted arguments.
    template <class M>
    requires std::is_member_function_pointer_v<M> ClassBuilder& constructor(M construct) {
        info_->creator_ = [construct](std::span<const Value> args) -> Ref<Object> {
            Ref<T> o = make<T>();
            detail::MemberFn<M>::invoke(construct, *o, args);
            return o;
        };
        return *this;
    }

    // Create-by-name of the class's own making (for an argument order of its own).
    ClassBuilder& creator(ClassInfo::Creator make) {
        info_->creator_ = std::move(make);
        return *this;
    }

    const ClassInfo& build() { return ClassInfo::registerClass(std::move(info_)); }

private:
    static T& self(Object& o) { return static_cast<T&>(o); }

    std::unique_ptr<ClassInfo> info_;
};

}  // namespace rt
