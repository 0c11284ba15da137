#include "runtime/heap_object.h"

#include "runtime/weak_block.h"

namespace rt {

HeapObject::~HeapObject() = default;

void HeapObject::release() const noexcept {
    if (refs_.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
    if (WeakBlock* weak = weak_.load(std::memory_order_acquire)) {
        weak->clear();
        weak->release();
    }
    delete this;
}

bool HeapObject::tryRetain() const noexcept {
    int32_t n = refs_.load(std::memory_order_relaxed);
    while (n > 0) {
        if (refs_.compare_exchange_weak(n, n + 1, std::memory_order_acq_rel)) return true;
    }
    return false;
}

WeakBlock* HeapObject::weakBlock() const {
    WeakBlock* block = weak_.load(std::memory_order_acquire);
    if (block) return block;
    auto* made = new WeakBlock(this);
    if (weak_.compare_exchange_strong(block, made, std::memory_order_acq_rel)) return made;
    made->release();
    return block;
}

void WeakBlock::release() noexcept {
    if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

const HeapObject* WeakBlock::lock() {
    std::lock_guard<std::mutex> guard(mutex_);
    if (target_ && target_->tryRetain()) return target_;
    return nullptr;
}

void WeakBlock::clear() {
    std::lock_guard<std::mutex> guard(mutex_);
    target_ = nullptr;
}

}  // namespace rt
