#pragma once

#include <concepts>
#include <cstddef>
#include <utility>

#include "runtime/heap_object.h"
#include "runtime/weak_block.h"

namespace rt {

// A strong, shared reference to a heap object (intrusive, atomic count). Null is allowed.
template <class T>
class Ref {
public:
    Ref() noexcept = default;
    Ref(std::nullptr_t) noexcept {}
    // Takes a reference to an existing object; `new T` handed straight to a Ref is owned by it.
    Ref(T* p) noexcept : p_(p) {
        if (p_) p_->retain();
    }
    Ref(const Ref& o) noexcept : Ref(o.p_) {}
    Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    template <class U>
    requires std::convertible_to<U*, T*> Ref(const Ref<U>& o)
    noexcept : Ref(o.get()) {}
    template <class U>
    requires std::convertible_to<U*, T*> Ref(Ref<U>&& o)
    noexcept : p_(o.detach()) {}
    ~Ref() {
        if (p_) p_->release();
    }

    Ref& operator=(Ref o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }

    // Wraps an object whose reference was already taken (the counterpart of detach).
    static Ref adopt(T* p) noexcept {
        Ref r;
        r.p_ = p;
        return r;
    }
    // Gives up the reference without dropping it.
    T* detach() noexcept { return std::exchange(p_, nullptr); }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    T& operator*() const noexcept { return *p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

    friend bool operator==(const Ref& a, const Ref& b) noexcept { return a.p_ == b.p_; }
    friend bool operator==(const Ref& a, std::nullptr_t) noexcept { return a.p_ == nullptr; }

private:
    T* p_ = nullptr;
};

// Makes a new object owned by the returned reference.
template <class T, class... Args>
Ref<T> make(Args&&... args) {
    return Ref<T>(new T(std::forward<Args>(args)...));
}

// A weak reference: it does not keep its target alive and reads as null once the target is gone.
// Used for back-references that would otherwise form cycles.
template <class T>
class WeakRef {
public:
    WeakRef() noexcept = default;
    WeakRef(const Ref<T>& target) : block_(target ? target->weakBlock() : nullptr) {
        if (block_) block_->retain();
    }
    WeakRef(const WeakRef& o) noexcept : block_(o.block_) {
        if (block_) block_->retain();
    }
    WeakRef(WeakRef&& o) noexcept : block_(std::exchange(o.block_, nullptr)) {}
    ~WeakRef() {
        if (block_) block_->release();
    }
    WeakRef& operator=(WeakRef o) noexcept {
        std::swap(block_, o.block_);
        return *this;
    }

    // The target, or null when it has been destroyed (or was never set).
    Ref<T> lock() const {
        if (!block_) return nullptr;
        const HeapObject* o = block_->lock();
        return Ref<T>::adopt(static_cast<T*>(const_cast<HeapObject*>(o)));
    }

private:
    WeakBlock* block_ = nullptr;
};

}  // namespace rt
