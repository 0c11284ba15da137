#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>

namespace rt {

// A locked double-ended queue shared between threads: `push` puts at the front, `add` at the
// back, `pop` takes from the front, waiting for an element or not.
template <class T>
class Deque {
public:
    void push(T item) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            items_.push_front(std::move(item));
        }
        ready_.notify_one();
    }

    void add(T item) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            items_.push_back(std::move(item));
        }
        ready_.notify_one();
    }

    // The front element; without `block`, nothing when the deque is empty.
    std::optional<T> pop(bool block) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (block) ready_.wait(lock, [this] { return !items_.empty(); });
        if (items_.empty()) return std::nullopt;
        T item = std::move(items_.front());
        items_.pop_front();
        return item;
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<T> items_;
};

}  // namespace rt
