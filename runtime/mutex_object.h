#pragma once

#include "runtime/mutex.h"
#include "runtime/object.h"

namespace rt {

// The runtime's mutex as an object of the program: a static that holds one can be read and
// replaced by name, and the program takes it by its operations acquire, tryAcquire and release.
// Recursive, like Mutex; meets the Lockable requirements.
class MutexObject final : public Object {
    RT_CLASS(MutexObject)
public:
    void acquire() { mutex_.lock(); }
    bool tryAcquire() { return mutex_.try_lock(); }
    void release() { mutex_.unlock(); }

    void lock() { acquire(); }
    bool try_lock() { return tryAcquire(); }
    void unlock() { release(); }

private:
    Mutex mutex_;
};

}  // namespace rt
