#include "lobby/download/progress_list.h"

namespace download {

void ProgressList::create() {
    std::lock_guard<std::mutex> lock(mutex_);
    exists_ = true;
}

void ProgressList::drop() {
    std::lock_guard<std::mutex> lock(mutex_);
    exists_ = false;
    items_.clear();
}

bool ProgressList::exists() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return exists_;
}

void ProgressList::put(const ProgressSnapshot& snapshot) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!exists_) return;
    if (items_.size() == kLimit) items_.pop_back();
    items_.push_front(snapshot);
}

std::optional<ProgressSnapshot> ProgressList::take() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (items_.empty()) return std::nullopt;
    ProgressSnapshot snapshot = items_.front();
    items_.pop_front();
    return snapshot;
}

}  // namespace download
