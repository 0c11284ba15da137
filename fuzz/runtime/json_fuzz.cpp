// Page calls and answers travel as JSON. Any text parses or fails with JsonError, and what is
// written of a parsed value reads back equal: same kinds of containers, same field names in the
// same order, same texts, same numbers with the same sign.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "runtime/array.h"
#include "runtime/json.h"
#include "runtime/name_table.h"
#include "runtime/record.h"

namespace {

bool same(const rt::Value& a, const rt::Value& b) {
    if (a.isNumber() || b.isNumber()) {
        if (!a.isNumber() || !b.isNumber()) return false;
        return a == b && std::signbit(a.toFloat()) == std::signbit(b.toFloat());
    }
    if (a.type() != b.type()) return false;
    if (const rt::Ref<rt::Array> x = a.asArray()) {
        const rt::Ref<rt::Array> y = b.asArray();
        if (x->size() != y->size()) return false;
        for (int i = 0; i < x->size(); ++i) {
            if (!same(x->get(i), y->get(i))) return false;
        }
        return true;
    }
    if (const rt::Ref<rt::Record> x = a.asRecord()) {
        const rt::Ref<rt::Record> y = b.asRecord();
        if (x->size() != y->size()) return false;
        for (int i = 0; i < x->size(); ++i) {
            const rt::Record::Field& f = x->fields()[static_cast<size_t>(i)];
            const rt::Record::Field& g = y->fields()[static_cast<size_t>(i)];
            if (rt::nameText(f.id) != rt::nameText(g.id) || !same(f.value, g.value)) return false;
        }
        return true;
    }
    return a == b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    rt::Value value;
    try {
        value = rt::Json::parse(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const rt::JsonError&) {
        return 0;
    }
    const rt::Value back = rt::Json::parse(rt::Json::stringify(value));
    if (!same(value, back)) std::abort();
    return 0;
}
