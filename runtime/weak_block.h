#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

namespace rt {

class HeapObject;

// The meeting point of an object and its weak references. The object clears the target under
// the lock before it is deleted; a weak reference takes a strong one under the same lock, so it
// never sees a deleted object. The block itself is counted by the object and every weak
// reference, and goes with the last of them.
class WeakBlock {
public:
    explicit WeakBlock(const HeapObject* target) : target_(target) {}

    void retain() noexcept { refs_.fetch_add(1, std::memory_order_relaxed); }
    void release() noexcept;

    // The target with one strong reference taken, or null when it is gone.
    const HeapObject* lock();
    void clear();

private:
    std::atomic<int32_t> refs_{1};
    std::mutex mutex_;
    const HeapObject* target_;
};

}  // namespace rt
