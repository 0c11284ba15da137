// The loop's FIFO of posted messages; any thread may push.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>

#include "platform/msgloop/msgloop.h"

namespace msgloop {

struct Posted {
    ml_hwnd hwnd;
    uint32_t msg;
    uintptr_t wparam;
    intptr_t lparam;
    uint64_t socket_id;  // the socket registration a readiness message belongs to, else 0
};

class PostQueue {
public:
    void push(const Posted& posted);
    bool pop(Posted* out);
    size_t size() const;

private:
    mutable std::mutex mutex_;
    std::deque<Posted> queue_;
};

}  // namespace msgloop
