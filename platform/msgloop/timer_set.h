// Window timers keyed by window and id.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "platform/msgloop/msgloop.h"

namespace msgloop {

class TimerSet {
public:
    using Key = std::pair<ml_hwnd, uintptr_t>;
    static constexpr uint32_t kMinPeriodMs = 10;

    // Adds the timer or replaces the period of an existing one; the next tick is a period away.
    void set(ml_hwnd hwnd, uintptr_t id, uint32_t period_ms, uint64_t now_ms);
    bool kill(ml_hwnd hwnd, uintptr_t id);
    void kill_all(ml_hwnd hwnd);

    std::optional<uint64_t> next_due() const;
    // The timers due at now, earliest first.
    std::vector<Key> due(uint64_t now_ms) const;
    // True when the timer still exists and is due; it is then rescheduled a period after now.
    bool take_tick(const Key& key, uint64_t now_ms);

private:
    struct Timer {
        uint32_t period_ms;
        uint64_t due_ms;
    };
    std::map<Key, Timer> timers_;
};

}  // namespace msgloop
