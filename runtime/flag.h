#pragma once

#include <atomic>

namespace rt {

// A flag one thread publishes for others: set with release ordering, read with acquire ordering,
// so whatever the setter wrote before setting it is visible to a reader that sees it set.
class Flag {
public:
    void set(bool on = true) noexcept { on_.store(on, std::memory_order_release); }
    bool get() const noexcept { return on_.load(std::memory_order_acquire); }

private:
    std::atomic<bool> on_{false};
};

}  // namespace rt
