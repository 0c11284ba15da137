#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

#include "runtime/http_connections.h"

namespace download {

// The threads that download game files: at most kThreads, started as work comes and kept for the
// program's life, each with HTTP connections of its own that stay open from one file to the next.
// Jobs run in the order they were given, as threads become free.
class FilePool {
public:
    static constexpr size_t kThreads = 4;

    // The program's pool; never destroyed, so no thread outlives it.
    static FilePool& shared();

    void run(std::function<void()> job);
    // Waits until no job is queued or running.
    void waitIdle();

    // The connections of the pool thread calling; null on any other thread.
    static rt::HttpConnections* connections();

private:
    FilePool() = default;
    void work();

    std::mutex mutex_;
    std::condition_variable ready_;
    std::condition_variable idleChanged_;
    std::deque<std::function<void()>> jobs_;
    size_t threads_ = 0;
    size_t idle_ = 0;
    size_t running_ = 0;
};

}  // namespace download
