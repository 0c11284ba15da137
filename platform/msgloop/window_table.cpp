#include "platform/msgloop/window_table.h"

namespace msgloop {

void WindowTable::insert(std::unique_ptr<Window> window) {
    std::lock_guard lock(mutex_);
    ml_hwnd hwnd = window->hwnd;
    windows_[hwnd] = std::move(window);
}

Window* WindowTable::find_live(ml_hwnd hwnd) const {
    std::lock_guard lock(mutex_);
    auto it = windows_.find(hwnd);
    if (it == windows_.end() || it->second->dead) return nullptr;
    return it->second.get();
}

void WindowTable::mark_dead(Window* window) {
    std::lock_guard lock(mutex_);
    window->dead = true;
}

void WindowTable::erase(ml_hwnd hwnd) {
    std::unique_ptr<Window> gone;
    std::lock_guard lock(mutex_);
    auto it = windows_.find(hwnd);
    if (it == windows_.end()) return;
    gone = std::move(it->second);
    windows_.erase(it);
}

std::vector<ml_hwnd> WindowTable::live_handles() const {
    std::lock_guard lock(mutex_);
    std::vector<ml_hwnd> out;
    for (const auto& [hwnd, window] : windows_) {
        if (!window->dead) out.push_back(hwnd);
    }
    return out;
}

}  // namespace msgloop
