#include "runtime/value.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "runtime/abstract.h"
#include "runtime/array.h"
#include "runtime/bytes.h"
#include "runtime/class_info.h"
#include "runtime/enum_info.h"
#include "runtime/exception.h"
#include "runtime/function.h"
#include "runtime/name_table.h"
#include "runtime/object.h"
#include "runtime/record.h"
#include "runtime/string_data.h"

namespace rt {
namespace {

ValueType typeOfKind(HeapKind kind) {
    switch (kind) {
        case HeapKind::String:
            return ValueType::String;
        case HeapKind::Bytes:
            return ValueType::Bytes;
        case HeapKind::Array:
            return ValueType::Array;
        case HeapKind::Record:
            return ValueType::Record;
        case HeapKind::Function:
            return ValueType::Function;
        case HeapKind::Object:
            return ValueType::Object;
        case HeapKind::Abstract:
            return ValueType::Abstract;
        case HeapKind::Box:
        case HeapKind::Other:
            break;
    }
    throw Exception("A runtime-internal object cannot be held by a Value");
}

// Containers nested deeper than this print as "..." (a container may hold itself).
constexpr int kMaxTextDepth = 16;

void appendText(std::string& out, const Value& v, int depth);

void appendFloat(std::string& out, double f) {
    if (std::isnan(f)) {
        out += "NaN";
    } else if (std::isinf(f)) {
        out += f > 0 ? "Infinity" : "-Infinity";
    } else {
        char buf[32];
        auto res = std::to_chars(buf, buf + sizeof buf, f);
        out.append(buf, res.ptr);
    }
}

void appendText(std::string& out, const Value& v, int depth) {
    if (depth > kMaxTextDepth) {
        out += "...";
        return;
    }
    switch (v.type()) {
        case ValueType::Null:
            out += "null";
            return;
        case ValueType::Bool:
            out += v.toBool() ? "true" : "false";
            return;
        case ValueType::Int:
            out += std::to_string(v.toInt());
            return;
        case ValueType::Float:
            appendFloat(out, v.toFloat());
            return;
        case ValueType::String:
            out += v.str();
            return;
        case ValueType::Bytes:
            out += v.asBytes()->view();
            return;
        case ValueType::Array: {
            out += '[';
            bool first = true;
            for (const Value& item : v.asArray()->items()) {
                if (!first) out += ',';
                first = false;
                appendText(out, item, depth + 1);
            }
            out += ']';
            return;
        }
        case ValueType::Record: {
            Ref<Record> r = v.asRecord();
            if (r->size() == 0) {
                out += "{}";
                return;
            }
            out += "{ ";
            bool first = true;
            for (const Record::Field& f : r->fields()) {
                if (!first) out += ", ";
                first = false;
                out += nameOf(f.id);
                out += " : ";
                appendText(out, f.value, depth + 1);
            }
            out += " }";
            return;
        }
        case ValueType::Function:
            out += "#function " + v.asFunction()->name();
            return;
        case ValueType::Object:
            out += v.asObject()->toString();
            return;
        case ValueType::Abstract:
            out += "#abstract";
            return;
        case ValueType::Class:
            out += v.asClass()->name();
            return;
        case ValueType::Enum:
            out += v.enumInfo()->text(v.enumIndex());
            return;
    }
}

}  // namespace

Value::Value(const char* s) : Value(std::string_view(s ? s : "")) {}

Value::Value(std::string_view s) : Value(std::string(s)) {}

Value::Value(std::string&& s) : type_(ValueType::String) {
    u_.p = new StringData(std::move(s));
    u_.p->retain();
}

Value::Value(HeapObject* object) : type_(ValueType::Null) {
    u_.p = nullptr;
    if (!object) return;
    type_ = typeOfKind(object->heapKind());
    u_.p = object;
    object->retain();
}

Value Value::fromHeap(HeapObject* object) {
    return Value(object);
}

Value Value::ofClass(const ClassInfo& info) noexcept {
    Value v;
    v.type_ = ValueType::Class;
    v.u_.cls = &info;
    return v;
}

Value Value::ofEnum(const EnumInfo& info, int index) noexcept {
    Value v;
    v.type_ = ValueType::Enum;
    v.aux_ = index;
    v.u_.en = &info;
    return v;
}

Value::Value(const Value& o) noexcept : type_(o.type_), aux_(o.aux_), u_(o.u_) {
    retain();
}

Value::Value(Value&& o) noexcept : type_(o.type_), aux_(o.aux_), u_(o.u_) {
    o.type_ = ValueType::Null;
    o.u_.p = nullptr;
}

Value& Value::operator=(const Value& o) noexcept {
    o.retain();
    drop();
    type_ = o.type_;
    aux_ = o.aux_;
    u_ = o.u_;
    return *this;
}

Value& Value::operator=(Value&& o) noexcept {
    if (this == &o) return *this;
    drop();
    type_ = o.type_;
    aux_ = o.aux_;
    u_ = o.u_;
    o.type_ = ValueType::Null;
    o.u_.p = nullptr;
    return *this;
}

Value::~Value() {
    drop();
}

void Value::drop() noexcept {
    if (isHeap() && u_.p) u_.p->release();
    type_ = ValueType::Null;
    u_.p = nullptr;
}

bool Value::toBool() const noexcept {
    switch (type_) {
        case ValueType::Bool:
            return u_.b;
        case ValueType::Int:
            return u_.i != 0;
        case ValueType::Float:
            return u_.f != 0.0 && !std::isnan(u_.f);
        default:
            return false;
    }
}

int32_t Value::toInt() const noexcept {
    switch (type_) {
        case ValueType::Bool:
            return u_.b ? 1 : 0;
        case ValueType::Int:
            return u_.i;
        case ValueType::Float: {
            // Truncate through 64 bits and keep the low 32; what the hardware conversion
            // leaves for NaN and out-of-range values (the 64-bit minimum) keeps 0.
            double f = u_.f;
            if (!(f > -9223372036854775808.0 && f < 9223372036854775808.0)) return 0;
            return static_cast<int32_t>(
                static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(f))));
        }
        case ValueType::Enum:
            return aux_;
        default:
            return 0;
    }
}

double Value::toFloat() const noexcept {
    switch (type_) {
        case ValueType::Bool:
            return u_.b ? 1.0 : 0.0;
        case ValueType::Int:
            return u_.i;
        case ValueType::Float:
            return u_.f;
        default:
            return 0.0;
    }
}

std::string Value::toString() const {
    std::string out;
    appendText(out, *this, 0);
    return out;
}

std::string_view Value::str() const noexcept {
    if (type_ != ValueType::String) return {};
    return static_cast<const StringData*>(u_.p)->text();
}

Ref<StringData> Value::asString() const {
    return type_ == ValueType::String ? Ref<StringData>(static_cast<StringData*>(u_.p)) : nullptr;
}
Ref<Bytes> Value::asBytes() const {
    return type_ == ValueType::Bytes ? Ref<Bytes>(static_cast<Bytes*>(u_.p)) : nullptr;
}
Ref<Array> Value::asArray() const {
    return type_ == ValueType::Array ? Ref<Array>(static_cast<Array*>(u_.p)) : nullptr;
}
Ref<Record> Value::asRecord() const {
    return type_ == ValueType::Record ? Ref<Record>(static_cast<Record*>(u_.p)) : nullptr;
}
Ref<Function> Value::asFunction() const {
    return type_ == ValueType::Function ? Ref<Function>(static_cast<Function*>(u_.p)) : nullptr;
}
Ref<Object> Value::asObject() const {
    return type_ == ValueType::Object ? Ref<Object>(static_cast<Object*>(u_.p)) : nullptr;
}
Ref<Abstract> Value::asAbstract() const {
    return type_ == ValueType::Abstract ? Ref<Abstract>(static_cast<Abstract*>(u_.p)) : nullptr;
}
const ClassInfo* Value::asClass() const noexcept {
    return type_ == ValueType::Class ? u_.cls : nullptr;
}
const EnumInfo* Value::enumInfo() const noexcept {
    return type_ == ValueType::Enum ? u_.en : nullptr;
}

Value Value::call(std::span<const Value> args) const {
    if (type_ != ValueType::Function) {
        throw Exception(std::string("Cannot call a value of type ") + typeName(type_) +
                        (isNull() ? " (null function)" : ""));
    }
    return static_cast<const Function*>(u_.p)->call(args);
}

Value Value::get(std::string_view name) const {
    switch (type_) {
        case ValueType::Record:
            return static_cast<const Record*>(u_.p)->get(name);
        case ValueType::Object:
            return static_cast<Object*>(u_.p)->get(name);
        case ValueType::Class:
            return u_.cls->getStatic(name);
        default:
            return {};
    }
}

Value Value::set(std::string_view name, const Value& v) const {
    switch (type_) {
        case ValueType::Record:
            static_cast<Record*>(u_.p)->set(name, v);
            return v;
        case ValueType::Object:
            return static_cast<Object*>(u_.p)->set(name, v);
        case ValueType::Class:
            return u_.cls->setStatic(name, v);
        default:
            throw Exception("Cannot write field " + std::string(name) + " of a value of type " +
                            typeName(type_));
    }
}

Value Value::callMember(std::string_view name, std::span<const Value> args) const {
    switch (type_) {
        case ValueType::Object:
            return static_cast<Object*>(u_.p)->call(name, args);
        case ValueType::Class:
            return u_.cls->callStatic(name, args);
        case ValueType::Record: {
            Value f = static_cast<const Record*>(u_.p)->get(name);
            if (!f.isFunction()) {
                throw Exception("Field " + std::string(name) + " of the record is " +
                                typeName(f.type()) + ", not a function");
            }
            return f.call(args);
        }
        default:
            throw Exception("Cannot call member " + std::string(name) + " of a value of type " +
                            typeName(type_));
    }
}

bool operator==(const Value& a, const Value& b) noexcept {
    if (a.isNumber() && b.isNumber()) {
        if (a.isInt() && b.isInt()) return a.u_.i == b.u_.i;
        return a.toFloat() == b.toFloat();
    }
    if (a.type_ != b.type_) return false;
    switch (a.type_) {
        case ValueType::Null:
            return true;
        case ValueType::Bool:
            return a.u_.b == b.u_.b;
        case ValueType::String:
            return a.str() == b.str();
        case ValueType::Bytes:
            return static_cast<const Bytes*>(a.u_.p)->data() ==
                   static_cast<const Bytes*>(b.u_.p)->data();
        case ValueType::Class:
            return a.u_.cls == b.u_.cls;
        case ValueType::Enum:
            return a.u_.en == b.u_.en && a.aux_ == b.aux_;
        default:
            return a.u_.p == b.u_.p;
    }
}

const char* typeName(ValueType type) noexcept {
    switch (type) {
        case ValueType::Null:
            return "null";
        case ValueType::Bool:
            return "Bool";
        case ValueType::Int:
            return "Int";
        case ValueType::Float:
            return "Float";
        case ValueType::String:
            return "String";
        case ValueType::Bytes:
            return "Bytes";
        case ValueType::Array:
            return "Array";
        case ValueType::Record:
            return "Record";
        case ValueType::Function:
            return "Function";
        case ValueType::Object:
            return "Object";
        case ValueType::Abstract:
            return "Abstract";
        case ValueType::Class:
            return "Class";
        case ValueType::Enum:
            return "Enum";
    }
    return "?";
}

}  // namespace rt
