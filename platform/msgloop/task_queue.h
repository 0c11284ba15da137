// Delayed tasks for the loop's thread; any thread may add.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/msgloop/msgloop.h"

namespace msgloop {

struct Task {
    ml_task_fn fn;
    void* arg;
};

class TaskQueue {
public:
    void add(const Task& task, uint64_t due_ms);
    std::optional<uint64_t> next_due() const;
    // The number of the last task added; tasks added later have higher numbers.
    uint64_t last_seq() const;
    // The earliest task due at now and numbered up to max_seq; tasks with one due time come in
    // the order they were added.
    bool take_due(uint64_t now_ms, uint64_t max_seq, Task* out);

private:
    mutable std::mutex mutex_;
    uint64_t seq_ = 0;
    std::map<std::pair<uint64_t, uint64_t>, Task> tasks_;
};

}  // namespace msgloop
