#pragma once

#include <atomic>
#include <cstdint>

#include "platform/shared/no_copy.h"

namespace rt {

class WeakBlock;

// What a heap object is, as far as the value model needs to know.
enum class HeapKind : uint8_t {
    Box,  // a scalar value boxed for the C value interface
    String,
    Bytes,
    Array,
    Record,
    Function,
    Object,
    Abstract,
    Other,  // runtime-internal objects that are no values (threads, buffers)
};

// Base of every reference-counted object of the runtime. The count is atomic, so references may
// be taken and dropped on any thread. A new object starts with no reference; the first Ref takes
// one. The object deletes itself when the last reference goes.
class HeapObject : private morvick::NoCopy {
public:
    HeapKind heapKind() const { return kind_; }

    void retain() const noexcept { refs_.fetch_add(1, std::memory_order_relaxed); }
    void release() const noexcept;
    // Takes a reference unless the count already reached zero (the object is being destroyed).
    bool tryRetain() const noexcept;
    int refCount() const noexcept { return refs_.load(std::memory_order_acquire); }

    // The shared block through which weak references find this object; made on first use.
    WeakBlock* weakBlock() const;

protected:
    explicit HeapObject(HeapKind kind) noexcept : kind_(kind) {}
    virtual ~HeapObject();

private:
    mutable std::atomic<int32_t> refs_{0};
    mutable std::atomic<WeakBlock*> weak_{nullptr};
    HeapKind kind_;
};

}  // namespace rt
