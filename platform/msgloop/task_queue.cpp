#include "platform/msgloop/task_queue.h"

namespace msgloop {

void TaskQueue::add(const Task& task, uint64_t due_ms) {
    std::lock_guard lock(mutex_);
    tasks_.emplace(std::make_pair(due_ms, ++seq_), task);
}

std::optional<uint64_t> TaskQueue::next_due() const {
    std::lock_guard lock(mutex_);
    if (tasks_.empty()) return std::nullopt;
    return tasks_.begin()->first.first;
}

uint64_t TaskQueue::last_seq() const {
    std::lock_guard lock(mutex_);
    return seq_;
}

bool TaskQueue::take_due(uint64_t now_ms, uint64_t max_seq, Task* out) {
    std::lock_guard lock(mutex_);
    for (auto it = tasks_.begin(); it != tasks_.end() && it->first.first <= now_ms; ++it) {
        if (it->first.second > max_seq) continue;
        *out = it->second;
        tasks_.erase(it);
        return true;
    }
    return false;
}

}  // namespace msgloop
