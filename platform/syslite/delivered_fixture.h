// What a tray delivered on its own thread, for the test thread to wait for.
#pragma once

#include <condition_variable>
#include <mutex>
#include <vector>

namespace syslite::testing {

template <class T>
class Delivered {
public:
    void add(T item) {
        std::lock_guard<std::mutex> guard(lock_);
        items_.push_back(std::move(item));
        changed_.notify_all();
    }
    // Waits until `count` items came and answers them all.
    std::vector<T> waitFor(size_t count) {
        std::unique_lock<std::mutex> guard(lock_);
        changed_.wait(guard, [&] { return items_.size() >= count; });
        return items_;
    }

private:
    std::mutex lock_;
    std::condition_variable changed_;
    std::vector<T> items_;
};

}  // namespace syslite::testing
