// The windows of this process. Readable from any thread; changed on the loop's thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/msgloop/msgloop.h"

namespace msgloop {

struct Window {
    ml_hwnd hwnd = 0;
    ml_wndproc proc = nullptr;
    void* user = nullptr;
    int depth = 0;                 // dispatches of this window on the stack
    bool dead = false;             // destroyed: no message reaches it any more
    bool destroy_pending = false;  // ML_WM_DESTROY waits for the running dispatches
};

class WindowTable {
public:
    void insert(std::unique_ptr<Window> window);
    // The window when it exists and is not destroyed. The pointer stays valid on the loop's
    // thread until erase().
    Window* find_live(ml_hwnd hwnd) const;
    bool is_live(ml_hwnd hwnd) const { return find_live(hwnd) != nullptr; }
    void mark_dead(Window* window);
    void erase(ml_hwnd hwnd);
    std::vector<ml_hwnd> live_handles() const;

private:
    mutable std::mutex mutex_;
    std::unordered_map<ml_hwnd, std::unique_ptr<Window>> windows_;
};

}  // namespace msgloop
