#include "platform/msgloop/clock.h"

#include <time.h>

namespace msgloop {

uint64_t Clock::now_ms() const {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000 + static_cast<uint64_t>(ts.tv_nsec) / 1000000 +
           offset_.load(std::memory_order_relaxed);
}

Clock& Clock::instance() {
    static Clock clock;
    return clock;
}

}  // namespace msgloop
