#include "platform/msgloop/timer_set.h"

#include <algorithm>

namespace msgloop {

void TimerSet::set(ml_hwnd hwnd, uintptr_t id, uint32_t period_ms, uint64_t now_ms) {
    period_ms = std::max(period_ms, kMinPeriodMs);
    timers_[{hwnd, id}] = Timer{period_ms, now_ms + period_ms};
}

bool TimerSet::kill(ml_hwnd hwnd, uintptr_t id) {
    return timers_.erase({hwnd, id}) > 0;
}

void TimerSet::kill_all(ml_hwnd hwnd) {
    auto it = timers_.lower_bound({hwnd, 0});
    while (it != timers_.end() && it->first.first == hwnd) it = timers_.erase(it);
}

std::optional<uint64_t> TimerSet::next_due() const {
    std::optional<uint64_t> next;
    for (const auto& [key, timer] : timers_) {
        if (!next || timer.due_ms < *next) next = timer.due_ms;
    }
    return next;
}

std::vector<TimerSet::Key> TimerSet::due(uint64_t now_ms) const {
    std::vector<std::pair<uint64_t, Key>> found;
    for (const auto& [key, timer] : timers_) {
        if (timer.due_ms <= now_ms) found.emplace_back(timer.due_ms, key);
    }
    std::sort(found.begin(), found.end());
    std::vector<Key> out;
    for (const auto& [due_ms, key] : found) out.push_back(key);
    return out;
}

bool TimerSet::take_tick(const Key& key, uint64_t now_ms) {
    auto it = timers_.find(key);
    if (it == timers_.end() || it->second.due_ms > now_ms) return false;
    it->second.due_ms = now_ms + it->second.period_ms;
    return true;
}

}  // namespace msgloop
