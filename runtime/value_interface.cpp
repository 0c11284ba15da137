#include "runtime/value_interface.h"

#include <unistd.h>

#include <cstdio>
#include <exception>
#include <string_view>
#include <type_traits>
#include <vector>

#include "runtime/abstract.h"
#include "runtime/array.h"
#include "runtime/bytes.h"
#include "runtime/c_value.h"
#include "runtime/cffi/hx_cffi.h"
#include "runtime/class_info.h"
#include "runtime/exception.h"
#include "runtime/name_table.h"
#include "runtime/object.h"
#include "runtime/record.h"
#include "runtime/string_data.h"
#include "runtime/trace.h"
#include "runtime/utf16.h"
#include "runtime/value_scope.h"

namespace rt {
namespace {

const unsigned char kNoBytes[1] = {0};
// What val_to_kind answers for a match of kind 0, which must not read as "no match".
const char kZeroKindToken = 0;

// Runs an entry of the interface so that no exception reaches the C caller: a failure writes a
// trace line with its message and answers the fallback.
template <class R, class F>
R guarded(R fallback, F&& body) noexcept {
    try {
        return body();
    } catch (const std::exception& e) {
        RT_TRACE(e.what());
    } catch (...) {
        RT_TRACE("unknown exception in a call from native code");
    }
    return fallback;
}

template <class F>
void guardedVoid(F&& body) noexcept {
    guarded(0, [&] {
        body();
        return 0;
    });
}

::value nullValue() noexcept {
    return toC(Value());
}

std::string_view nameOrEmpty(int id) {
    const char* name = nameOf(id);
    return name ? name : "";
}

// Text of a value for the string readers: the text itself, "" for null, else the text form.
std::string_view textOf(const Value& v, std::string& scratch) {
    if (v.isString()) return v.str();
    if (v.isNull()) return {};
    scratch = v.toString();
    return scratch;
}

value alloc_null() {
    return nullValue();
}
value alloc_bool(int b) {
    return toC(Value(b != 0));
}
value alloc_int(int i) {
    return guarded(nullValue(), [&] { return toC(Value(i)); });
}
value alloc_float(double f) {
    return guarded(nullValue(), [&] { return toC(Value(f)); });
}

value alloc_string(const char* s) {
    return guarded(nullValue(), [&] { return s ? toC(Value(s)) : nullValue(); });
}

value alloc_string_len(const char* s, int len) {
    return guarded(nullValue(), [&] {
        if (!s) return nullValue();
        return toC(Value(std::string_view(s, len > 0 ? static_cast<size_t>(len) : 0)));
    });
}

value alloc_bytes(const unsigned char* data, int len) {
    return guarded(nullValue(), [&] {
        std::vector<uint8_t> bytes;
        if (data && len > 0) bytes.assign(data, data + len);
        return toC(Value(make<Bytes>(std::move(bytes))));
    });
}

value alloc_array(int n) {
    return guarded(nullValue(), [&] {
        return toC(Value(make<Array>(std::vector<Value>(n > 0 ? static_cast<size_t>(n) : 0))));
    });
}

value alloc_empty_object() {
    return guarded(nullValue(), [&] { return toC(Value(make<Record>())); });
}

value alloc_abstract(vkind kind, void* data) {
    return guarded(nullValue(), [&] { return toC(Value(make<Abstract>(kind, data))); });
}

int val_type(value v) {
    switch (fromC(v).type()) {
        case ValueType::Null:
            return valtNull;
        case ValueType::Float:
            return valtFloat;
        case ValueType::Bool:
            return valtBool;
        case ValueType::String:
            return valtString;
        case ValueType::Record:
            return valtObject;
        case ValueType::Array:
            return valtArray;
        case ValueType::Function:
            return valtFunction;
        case ValueType::Abstract:
            return valtAbstract;
        case ValueType::Bytes:
            return valtBytes;
        case ValueType::Int:
            return valtInt;
        case ValueType::Object:
        case ValueType::Class:
        case ValueType::Enum:
            return valtClassInstance;
    }
    return valtNull;
}

int val_int(value v) {
    return fromC(v).toInt();
}
int val_bool(value v) {
    return fromC(v).toBool() ? 1 : 0;
}
double val_float(value v) {
    return fromC(v).toFloat();
}

const char* val_string(value v) {
    return guarded("", [&]() -> const char* {
        Value x = fromC(v);
        // A string value is its own text object, which outlives this call with the value.
        if (x.isString()) return x.asString()->text().c_str();
        if (x.isNull()) return "";
        return ValueScope::keepText(x.toString());
    });
}

int val_strlen(value v) {
    return guarded(0, [&] {
        std::string scratch;
        return static_cast<int>(textOf(fromC(v), scratch).size());
    });
}

const char16_t* val_wstring(value v) {
    return guarded(u"", [&] {
        std::string scratch;
        return ValueScope::keepText(utf8ToUtf16(textOf(fromC(v), scratch)));
    });
}

const unsigned char* val_bytes_data(value v) {
    Value x = fromC(v);
    if (Ref<Bytes> b = x.asBytes(); b && !b->data().empty()) return b->data().data();
    if (x.isString()) return reinterpret_cast<const unsigned char*>(x.asString()->text().c_str());
    return kNoBytes;
}

int val_bytes_len(value v) {
    Value x = fromC(v);
    if (Ref<Bytes> b = x.asBytes()) return static_cast<int>(b->data().size());
    return static_cast<int>(x.str().size());
}

int val_array_size(value v) {
    Ref<Array> a = fromC(v).asArray();
    return a ? a->size() : 0;
}

value val_array_i(value v, int i) {
    return guarded(nullValue(), [&] {
        Ref<Array> a = fromC(v).asArray();
        return a ? toC(a->get(i)) : nullValue();
    });
}

void val_array_set_i(value v, int i, value item) {
    guardedVoid([&] {
        if (Ref<Array> a = fromC(v).asArray()) a->set(i, fromC(item));
    });
}

void val_array_push(value v, value item) {
    guardedVoid([&] {
        if (Ref<Array> a = fromC(v).asArray()) a->push(fromC(item));
    });
}

int val_id(const char* name) {
    return guarded(0, [&] { return nameId(name ? name : ""); });
}

const char* val_field_name(int id) {
    const char* name = nameOf(id);
    return name ? name : "";
}

value val_field(value obj, int id) {
    return guarded(nullValue(), [&] {
        const char* name = nameOf(id);
        return name ? toC(fromC(obj).get(name)) : nullValue();
    });
}

void alloc_field(value obj, int id, value v) {
    guardedVoid([&] { fromC(obj).set(nameOrEmpty(id), fromC(v)); });
}

void val_iter_fields(value obj, val_iter_field_callback callback, void* cookie) {
    guardedVoid([&] {
        if (!callback) return;
        Value x = fromC(obj);
        if (Ref<Record> r = x.asRecord()) {
            // A copy: the callback may change the record.
            std::vector<Record::Field> fields = r->fields();
            for (const Record::Field& f : fields) callback(toC(f.value), f.id, cookie);
        } else if (Ref<Object> o = x.asObject()) {
            for (const std::string& name : o->classInfo().fields()) {
                callback(toC(o->get(name)), nameId(name), cookie);
            }
        }
    });
}

value callWith(value f, std::initializer_list<value> args) {
    return guarded(nullValue(), [&] {
        std::vector<Value> values;
        for (value a : args) values.push_back(fromC(a));
        return toC(fromC(f).call(values));
    });
}

value val_call0(value f) {
    return callWith(f, {});
}
value val_call1(value f, value a) {
    return callWith(f, {a});
}
value val_call2(value f, value a, value b) {
    return callWith(f, {a, b});
}
value val_call3(value f, value a, value b, value c) {
    return callWith(f, {a, b, c});
}

std::vector<Value> argArray(value* args, int n) {
    std::vector<Value> values;
    if (n > 0 && !args)
        throw Exception("Argument array is null but its count is " + std::to_string(n));
    for (int i = 0; i < n; ++i) values.push_back(fromC(args[i]));
    return values;
}

value val_callN(value f, value* args, int n) {
    return guarded(nullValue(), [&] { return toC(fromC(f).call(argArray(args, n))); });
}

value ocallWith(value obj, int id, std::initializer_list<value> args) {
    return guarded(nullValue(), [&] {
        std::vector<Value> values;
        for (value a : args) values.push_back(fromC(a));
        return toC(fromC(obj).callMember(nameOrEmpty(id), values));
    });
}

value val_ocall0(value o, int id) {
    return ocallWith(o, id, {});
}
value val_ocall1(value o, int id, value a) {
    return ocallWith(o, id, {a});
}
value val_ocall2(value o, int id, value a, value b) {
    return ocallWith(o, id, {a, b});
}
value val_ocall3(value o, int id, value a, value b, value c) {
    return ocallWith(o, id, {a, b, c});
}

value val_ocallN(value o, int id, value* args, int n) {
    return guarded(nullValue(),
                   [&] { return toC(fromC(o).callMember(nameOrEmpty(id), argArray(args, n))); });
}

vkind val_to_kind(value v, vkind kind) {
    Ref<Abstract> a = fromC(v).asAbstract();
    if (!a || a->kind() != kind) return nullptr;
    return kind ? kind : reinterpret_cast<vkind>(const_cast<char*>(&kZeroKindToken));
}

void* val_data(value v) {
    Ref<Abstract> a = fromC(v).asAbstract();
    return a ? a->data() : nullptr;
}

// A root: the rooted pointer first, so that the address handed out is the root's own.
struct Root {
    value v;
};
static_assert(std::is_standard_layout_v<Root>);

value* alloc_root(value v) {
    return guarded<value*>(nullptr, [&] {
        value held = v ? v : nullValue();
        reinterpret_cast<HeapObject*>(held)->retain();
        return &(new Root{held})->v;
    });
}

void free_root(value* root) {
    if (!root) return;
    Root* r = reinterpret_cast<Root*>(root);
    reinterpret_cast<HeapObject*>(r->v)->release();
    delete r;
}

[[noreturn]] void hx_fail(const char* msg, const char* file, int line) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s:%d: %s\n", file ? file : "?", line, msg ? msg : "");
    std::fflush(stderr);
    _exit(1);
}

struct Entry {
    std::string_view name;
    void* fn;
};

#define RT_ENTRY(f)                       \
    Entry {                               \
#f, reinterpret_cast < void*>(&f) \
    }

const Entry kEntries[] = {
    RT_ENTRY(alloc_null),      RT_ENTRY(alloc_bool),     RT_ENTRY(alloc_int),
    RT_ENTRY(alloc_float),     RT_ENTRY(alloc_string),   RT_ENTRY(alloc_string_len),
    RT_ENTRY(alloc_bytes),     RT_ENTRY(alloc_array),    RT_ENTRY(alloc_empty_object),
    RT_ENTRY(alloc_abstract),  RT_ENTRY(val_type),       RT_ENTRY(val_int),
    RT_ENTRY(val_bool),        RT_ENTRY(val_float),      RT_ENTRY(val_string),
    RT_ENTRY(val_strlen),      RT_ENTRY(val_wstring),    RT_ENTRY(val_bytes_data),
    RT_ENTRY(val_bytes_len),   RT_ENTRY(val_array_size), RT_ENTRY(val_array_i),
    RT_ENTRY(val_array_set_i), RT_ENTRY(val_array_push), RT_ENTRY(val_id),
    RT_ENTRY(val_field_name),  RT_ENTRY(val_field),      RT_ENTRY(alloc_field),
    RT_ENTRY(val_iter_fields), RT_ENTRY(val_call0),      RT_ENTRY(val_call1),
    RT_ENTRY(val_call2),       RT_ENTRY(val_call3),      RT_ENTRY(val_callN),
    RT_ENTRY(val_ocall0),      RT_ENTRY(val_ocall1),     RT_ENTRY(val_ocall2),
    RT_ENTRY(val_ocall3),      RT_ENTRY(val_ocallN),     RT_ENTRY(val_to_kind),
    RT_ENTRY(val_data),        RT_ENTRY(alloc_root),     RT_ENTRY(free_root),
    RT_ENTRY(hx_fail),
};

#undef RT_ENTRY

}  // namespace
}  // namespace rt

extern "C" void* morvick_hx_cffi(const char* name) {
    if (!name) return nullptr;
    for (const rt::Entry& e : rt::kEntries) {
        if (e.name == name) return e.fn;
    }
    return nullptr;
}
