// Callbacks on descriptor readiness.
#pragma once

#include <cstdint>
#include <map>

#include "platform/msgloop/msgloop.h"
#include "platform/msgloop/poll_list.h"

namespace msgloop {

struct FdWatch {
    int fd;
    unsigned events;
    unsigned flags;
    ml_fd_fn fn;
    void* arg;
};

class FdWatches {
public:
    uint64_t add(const FdWatch& watch);
    bool remove(uint64_t id);
    const FdWatch* find(uint64_t id) const;
    // All watches, or with in_waits_only those flagged ML_WATCH_IN_WAITS.
    void add_sources(PollList& list, bool in_waits_only) const;

private:
    uint64_t next_id_ = 0;
    std::map<uint64_t, FdWatch> watches_;
};

}  // namespace msgloop
