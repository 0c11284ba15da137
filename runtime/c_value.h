#pragma once

#include "runtime/cffi/hx_cffi.h"
#include "runtime/heap_object.h"
#include "runtime/value.h"

namespace rt {

// A scalar (null, Bool, Int, Float, class, enum value) boxed so it can cross the C value
// interface as a `value`.
class Box final : public HeapObject {
public:
    explicit Box(Value v) : HeapObject(HeapKind::Box), value_(std::move(v)) {}
    const Value& value() const noexcept { return value_; }

private:
    const Value value_;
};

// The `value` of a Value. Objects of reference types cross as their own address; scalars as a
// box. Both are kept alive by the innermost value scope of the thread.
::value toC(const Value& v);
// The Value behind a `value`; a null pointer reads as null.
Value fromC(::value v);

}  // namespace rt
