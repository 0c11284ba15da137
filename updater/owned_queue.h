#pragma once

#include <deque>
#include <memory>

namespace haldor {

// Takes the first of a queue that owns its entries; null when the queue is empty. The caller
// holds the queue's lock.
template <class T>
std::unique_ptr<T> TakeFront(std::deque<std::unique_ptr<T>>& queue) {
    if (queue.empty()) return nullptr;
    std::unique_ptr<T> first = std::move(queue.front());
    queue.pop_front();
    return first;
}

}  // namespace haldor
