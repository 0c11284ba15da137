// The loop's monotonic millisecond clock; tests move it forward.
#pragma once

#include <atomic>
#include <cstdint>

namespace msgloop {

class Clock {
public:
    uint64_t now_ms() const;
    void advance(uint64_t ms) { offset_.fetch_add(ms, std::memory_order_relaxed); }

    // The process's one clock.
    static Clock& instance();

private:
    std::atomic<uint64_t> offset_{0};
};

}  // namespace msgloop
