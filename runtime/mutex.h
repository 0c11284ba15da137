#pragma once

#include <mutex>

namespace rt {

// The program's mutex: recursive, so a thread may take it again while it holds it. Meets the
// Lockable requirements (std::lock_guard, std::unique_lock).
class Mutex {
public:
    void lock() { m_.lock(); }
    bool try_lock() { return m_.try_lock(); }
    void unlock() { m_.unlock(); }

private:
    std::recursive_mutex m_;
};

}  // namespace rt
