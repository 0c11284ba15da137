#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <type_traits>
#include <utility>

#include "runtime/abstract.h"
#include "runtime/array.h"
#include "runtime/bytes.h"
#include "runtime/enum_info.h"
#include "runtime/exception.h"
#include "runtime/function.h"
#include "runtime/object.h"
#include "runtime/record.h"
#include "runtime/string_data.h"
#include "runtime/value.h"

namespace rt {

// Typed conversions between C++ values and Values, used wherever the program knows its types:
// fields, arguments and results of operations registered by member pointer.
//   Convert<T>::to(const T&) -> Value
//   Convert<T>::from(const Value&) -> T
template <class T>
struct Convert;

template <>
struct Convert<Value> {
    static Value to(const Value& v) { return v; }
    static Value from(const Value& v) { return v; }
};

template <>
struct Convert<bool> {
    static Value to(bool b) { return b; }
    static bool from(const Value& v) { return v.toBool(); }
};

template <>
struct Convert<int32_t> {
    static Value to(int32_t i) { return i; }
    static int32_t from(const Value& v) { return v.toInt(); }
};

template <>
struct Convert<double> {
    static Value to(double f) { return f; }
    static double from(const Value& v) { return v.toFloat(); }
};

// Null converts to "", any other non-string value to its text form.
template <>
struct Convert<std::string> {
    static Value to(const std::string& s) { return s; }
    static std::string from(const Value& v) {
        if (v.isNull()) return {};
        if (v.isString()) return std::string(v.str());
        return v.toString();
    }
};

// Raises the runtime's error for a value that is not of the expected type.
[[noreturn]] void throwTypeMismatch(const char* expected, const Value& got);

template <ValueHeapType T>
struct Convert<Ref<T>> {
    static Value to(const Ref<T>& r) { return r ? Value(r) : Value(); }
    static Ref<T> from(const Value& v) {
        if (v.isNull()) return nullptr;
        if constexpr (std::derived_from<T, Object>) {
            if (Ref<T> r = v.as<T>()) return r;
            if constexpr (requires { T::staticClassInfo(); }) {
                throwTypeMismatch(T::staticClassInfo().name().c_str(), v);
            } else {
                throwTypeMismatch("Object", v);
            }
        } else {
            // A value's type follows the kind of the heap object it holds.
            if (v.type() == typeOf()) return Ref<T>(static_cast<T*>(v.heap()));
            throwTypeMismatch(typeName(typeOf()), v);
        }
    }

private:
    static ValueType typeOf() {
        if constexpr (std::same_as<T, StringData>) return ValueType::String;
        if constexpr (std::same_as<T, Bytes>) return ValueType::Bytes;
        if constexpr (std::same_as<T, Array>) return ValueType::Array;
        if constexpr (std::same_as<T, Record>) return ValueType::Record;
        if constexpr (std::same_as<T, Function>) return ValueType::Function;
        if constexpr (std::same_as<T, Abstract>) return ValueType::Abstract;
    }
};

// C++ enumerations that name their EnumInfo through `const rt::EnumInfo& enumInfo(E)`, found by
// argument-dependent lookup. An enum value converts to its index and back; an Int is taken as an
// index; anything else is an error.
template <class E>
requires std::is_enum_v<E> && requires(E e) {
    { enumInfo(e) } -> std::same_as<const EnumInfo&>;
}
struct Convert<E> {
    static Value to(E e) { return Value::ofEnum(enumInfo(E{}), static_cast<int>(e)); }
    static E from(const Value& v) {
        const EnumInfo& info = enumInfo(E{});
        if (v.enumInfo() == &info) return static_cast<E>(v.enumIndex());
        if (v.isInt() && v.toInt() >= 0 && v.toInt() < info.size())
            return static_cast<E>(v.toInt());
        throwTypeMismatch(info.name().c_str(), v);
    }
};

template <class T>
Value toValue(const T& v) {
    return Convert<std::decay_t<T>>::to(v);
}

template <class T>
T fromValue(const Value& v) {
    return Convert<T>::from(v);
}

// How a field of type F is read and written by name. Types that are more than their value
// (bound primitives) specialise this.
template <class F>
struct FieldAccess {
    static Value get(const F& f) { return Convert<F>::to(f); }
    static void set(F& f, const Value& v) { f = Convert<F>::from(v); }
};

namespace detail {

inline const Value& argAt(std::span<const Value> args, size_t i) {
    static const Value null;
    return i < args.size() ? args[i] : null;
}

// Calls `f` with the arguments converted to A... (a missing argument is null) and converts the
// result; a void result gives null.
template <class... A, class F, size_t... I>
Value invokeConverted(F&& f, std::span<const Value> args, std::index_sequence<I...>) {
    using R = std::invoke_result_t<F, A...>;
    if constexpr (std::is_void_v<R>) {
        std::forward<F>(f)(fromValue<std::decay_t<A>>(argAt(args, I))...);
        return {};
    } else {
        return toValue(std::forward<F>(f)(fromValue<std::decay_t<A>>(argAt(args, I))...));
    }
}

template <class... A, class F>
Value invokeConverted(F&& f, std::span<const Value> args) {
    return invokeConverted<A...>(std::forward<F>(f), args, std::index_sequence_for<A...>{});
}

template <class Sig>
struct SignatureOf;
template <class R, class... A>
struct SignatureOf<std::function<R(A...)>> {
    template <class F>
    static Function::Body body(F f) {
        return [f = std::move(f)](std::span<const Value> args) {
            return invokeConverted<A...>(f, args);
        };
    }
};

}  // namespace detail

// A Function value from a typed C++ callable: arguments are converted to the callable's
// parameter types, the result back to a Value.
template <class F>
Ref<Function> functionOf(std::string name, F f) {
    using Sig = decltype(std::function{f});
    return Function::of(std::move(name), detail::SignatureOf<Sig>::body(std::move(f)));
}

}  // namespace rt
