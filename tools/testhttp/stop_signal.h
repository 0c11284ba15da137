#pragma once

#include <atomic>
#include <chrono>
#include <string_view>

#include "platform/shared/no_copy.h"

namespace testhttp {

// A one-way switch that every blocking wait of the server also watches, so that stopping the
// server wakes every thread at once: its read end turns readable for good when triggered.
class StopSignal : private morvick::NoCopy {
public:
    StopSignal();
    ~StopSignal();

    void trigger();
    bool triggered() const { return triggered_.load(std::memory_order_acquire); }
    int fd() const { return pipe_[0]; }

private:
    int pipe_[2] = {-1, -1};
    std::atomic<bool> triggered_{false};
};

enum class WaitResult { Ready, Stopped, TimedOut };

// Waits for `events` (POLLIN, POLLOUT) on `fd`, for the stop signal, or for `timeout`
// (negative: no time limit).
WaitResult waitForSocket(int fd, short events, const StopSignal& stop,
                         std::chrono::milliseconds timeout = std::chrono::milliseconds(-1));

// Sleeps for `duration` unless stopped first; false when stopped.
bool sleepUnlessStopped(const StopSignal& stop, std::chrono::milliseconds duration);

// Sends all of `bytes` on the non-blocking socket `fd`; false when the peer went away or the
// server stopped.
bool sendAll(int fd, std::string_view bytes, const StopSignal& stop);

}  // namespace testhttp
