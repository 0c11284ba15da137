#pragma once

#include <initializer_list>
#include <vector>

#include "runtime/heap_object.h"
#include "runtime/ref.h"
#include "runtime/value.h"

namespace rt {

// A growable array of Values, shared by reference.
class Array final : public HeapObject {
public:
    Array() : HeapObject(HeapKind::Array) {}
    explicit Array(std::vector<Value> items)
        : HeapObject(HeapKind::Array), items_(std::move(items)) {}

    static Ref<Array> of(std::initializer_list<Value> items) {
        return make<Array>(std::vector<Value>(items));
    }

    int size() const noexcept { return static_cast<int>(items_.size()); }
    // Null outside the array.
    Value get(int index) const;
    // Grows the array with nulls when the index is past its end; a negative index is ignored.
    void set(int index, Value v);
    void push(Value v) { items_.push_back(std::move(v)); }

    std::vector<Value>& items() noexcept { return items_; }
    const std::vector<Value>& items() const noexcept { return items_; }

private:
    std::vector<Value> items_;
};

}  // namespace rt
