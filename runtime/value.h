#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "runtime/heap_object.h"
#include "runtime/ref.h"

namespace rt {

class Abstract;
class Array;
class Bytes;
class ClassInfo;
class EnumInfo;
class Function;
class Object;
class Record;
class StringData;

enum class ValueType : uint8_t {
    Null,
    Bool,
    Int,
    Float,
    String,
    Bytes,
    Array,
    Record,
    Function,
    Object,
    Abstract,
    Class,
    Enum,
};

// The heap types a Value can hold by reference.
template <class T>
concept ValueHeapType = std::derived_from<T, StringData> || std::derived_from<T, Bytes> ||
    std::derived_from<T, Array> || std::derived_from<T, Record> || std::derived_from<T, Function> ||
    std::derived_from<T, Object> || std::derived_from<T, Abstract>;

// The program's dynamic value. Scalars are held inline; strings, bytes, arrays, records,
// functions, objects and abstracts are shared by reference. Copying a Value is cheap and safe
// across threads; the objects it refers to are not locked (one thread mutates at a time).
class Value {
public:
    Value() noexcept : type_(ValueType::Null) { u_.p = nullptr; }
    Value(std::nullptr_t) noexcept : Value() {}
    Value(bool b) noexcept : type_(ValueType::Bool) { u_.b = b; }
    Value(int32_t i) noexcept : type_(ValueType::Int) { u_.i = i; }
    Value(double f) noexcept : type_(ValueType::Float) { u_.f = f; }
    Value(const char* s);
    Value(std::string_view s);
    Value(const std::string& s) : Value(std::string_view(s)) {}
    Value(std::string&& s);
    template <ValueHeapType T>
    Value(const Ref<T>& r) : Value(static_cast<HeapObject*>(r.get())) {}
    // Pointers to objects other than char must not silently turn into a Bool.
    template <class T>
    requires(!std::is_same_v<std::remove_cv_t<T>, char>) Value(T*)
    = delete;
    Value(char* s) : Value(static_cast<const char*>(s)) {}

    static Value ofClass(const ClassInfo& info) noexcept;
    static Value ofEnum(const EnumInfo& info, int index) noexcept;
    // Wraps a heap object of a value kind (not a box); null gives null.
    static Value fromHeap(HeapObject* object);

    Value(const Value& o) noexcept;
    Value(Value&& o) noexcept;
    Value& operator=(const Value& o) noexcept;
    Value& operator=(Value&& o) noexcept;
    ~Value();

    ValueType type() const noexcept { return type_; }
    bool isNull() const noexcept { return type_ == ValueType::Null; }
    bool isBool() const noexcept { return type_ == ValueType::Bool; }
    bool isInt() const noexcept { return type_ == ValueType::Int; }
    bool isFloat() const noexcept { return type_ == ValueType::Float; }
    bool isNumber() const noexcept { return isInt() || isFloat(); }
    bool isString() const noexcept { return type_ == ValueType::String; }
    bool isFunction() const noexcept { return type_ == ValueType::Function; }

    // Conversions: null reads as false, 0, 0.0 and "null". A Bool reads as 0 or 1, a Float as
    // an Int by truncation through 64 bits keeping the low 32 bits (0 for NaN and values out of
    // the 64-bit range), an enum value as its index. Other values read as false and 0.
    bool toBool() const noexcept;
    int32_t toInt() const noexcept;
    double toFloat() const noexcept;
    // The text form: "null", "true", 1, 1.5, the text itself, "[1,2]", "{ a : 1 }",
    // "Short.NAME" for an enum value, the class name for a class or an object.
    std::string toString() const;

    // The text of a String ("" for any other value).
    std::string_view str() const noexcept;

    // The referenced object when the value is of that kind, else null.
    Ref<StringData> asString() const;
    Ref<Bytes> asBytes() const;
    Ref<Array> asArray() const;
    Ref<Record> asRecord() const;
    Ref<Function> asFunction() const;
    Ref<Object> asObject() const;
    Ref<Abstract> asAbstract() const;
    template <class T>
    requires std::derived_from<T, Object> Ref<T> as()
    const;
    const ClassInfo* asClass() const noexcept;
    const EnumInfo* enumInfo() const noexcept;
    int enumIndex() const noexcept { return type_ == ValueType::Enum ? aux_ : -1; }
    // The heap object behind a reference value, or null for scalars, classes and enums.
    HeapObject* heap() const noexcept { return isHeap() ? u_.p : nullptr; }

    // Calls a Function; any other value raises an Exception.
    Value call(std::span<const Value> args) const;
    Value call(std::initializer_list<Value> args) const {
        return call(std::span<const Value>(args.begin(), args.size()));
    }

    // By-name members: a record's fields, an object's members (fields, properties, operations),
    // a class's statics. Reading from any other value gives null.
    Value get(std::string_view name) const;
    // Writes and answers the stored value; writing to a value without members raises.
    Value set(std::string_view name, const Value& v) const;
    // Calls a member by name: an operation, or a field holding a function.
    Value callMember(std::string_view name, std::span<const Value> args) const;
    Value callMember(std::string_view name, std::initializer_list<Value> args) const {
        return callMember(name, std::span<const Value>(args.begin(), args.size()));
    }

    // Null equals null; numbers compare by value (1 == 1.0); strings and bytes by content;
    // enum values by enumeration and index; everything else by identity.
    friend bool operator==(const Value& a, const Value& b) noexcept;

private:
    explicit Value(HeapObject* object);
    bool isHeap() const noexcept {
        return type_ >= ValueType::String && type_ <= ValueType::Abstract;
    }
    void retain() const noexcept {
        if (isHeap() && u_.p) u_.p->retain();
    }
    void drop() noexcept;

    ValueType type_;
    int32_t aux_ = 0;
    union {
        bool b;
        int32_t i;
        double f;
        HeapObject* p;
        const ClassInfo* cls;
        const EnumInfo* en;
    } u_;
};

// The text form of a type, for messages ("Int", "String", ...).
const char* typeName(ValueType type) noexcept;

}  // namespace rt
