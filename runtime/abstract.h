#pragma once

#include "runtime/heap_object.h"

namespace rt {

// An opaque handle made by a native library: a kind token and a pointer the runtime never
// reads or frees. The library that made it owns what the pointer points to.
class Abstract final : public HeapObject {
public:
    Abstract(const void* kind, void* data)
        : HeapObject(HeapKind::Abstract), kind_(kind), data_(data) {}

    const void* kind() const noexcept { return kind_; }
    void* data() const noexcept { return data_; }

private:
    const void* kind_;
    void* data_;
};

}  // namespace rt
