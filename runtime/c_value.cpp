#include "runtime/c_value.h"

#include "runtime/ref.h"
#include "runtime/value_scope.h"

namespace rt {
namespace {

// The boxes of null, false and true are shared and never freed.
const Box* sharedBox(const Value& v) {
    static const Box* const null = [] {
        auto* b = new Box(Value());
        b->retain();
        return b;
    }();
    static const Box* const no = [] {
        auto* b = new Box(Value(false));
        b->retain();
        return b;
    }();
    static const Box* const yes = [] {
        auto* b = new Box(Value(true));
        b->retain();
        return b;
    }();
    if (v.isNull()) return null;
    if (v.isBool()) return v.toBool() ? yes : no;
    return nullptr;
}

::value asC(const HeapObject* object) {
    return reinterpret_cast<::value>(const_cast<HeapObject*>(object));
}

}  // namespace

::value toC(const Value& v) {
    if (const Box* shared = sharedBox(v)) return asC(shared);
    if (HeapObject* h = v.heap()) {
        ValueScope::keep(h);
        return asC(h);
    }
    auto* box = new Box(v);
    ValueScope::keep(box);
    return asC(box);
}

Value fromC(::value v) {
    auto* h = reinterpret_cast<HeapObject*>(v);
    if (!h) return {};
    if (h->heapKind() == HeapKind::Box) return static_cast<const Box*>(h)->value();
    return Value::fromHeap(h);
}

}  // namespace rt
