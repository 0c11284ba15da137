#pragma once

#include "runtime/mutex.h"
#include "runtime/object.h"

namespace rt {

// The runtime's mutex as an object of the program: a static that holds one can be read and
// replaced by name, and the program takes it by name with "acquire", "tryAcquire" and "release".
// Recursive, like Mutex; meets the Lockable requirements. (The C++ names differ from the by-name
// ones: release() is the reference count's.)
class MutexObject final : public Object {
    RT_CLASS(MutexObject)
public:
    void lock() { mutex_.lock(); }
    bool try_lock() { return mutex_.try_lock(); }
    void unlock() { mutex_.unlock(); }

private:
    Mutex mutex_;
};

}  // namespace rt
