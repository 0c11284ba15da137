#include "platform/msgloop/post_queue.h"

namespace msgloop {

void PostQueue::push(const Posted& posted) {
    std::lock_guard lock(mutex_);
    queue_.push_back(posted);
}

bool PostQueue::pop(Posted* out) {
    std::lock_guard lock(mutex_);
    if (queue_.empty()) return false;
    *out = queue_.front();
    queue_.pop_front();
    return true;
}

size_t PostQueue::size() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

}  // namespace msgloop
