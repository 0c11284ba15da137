#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

namespace download {

// One progress snapshot of a file job, copied from the job's progress record. `queue` names the
// download queue the job belongs to, so that snapshots of a queue dropped meanwhile are known.
struct ProgressSnapshot {
    int32_t queue = 0;
    int32_t module = 0;
    int32_t index = 0;
    int32_t progress = 0;
    double speed = 0;
};

// The list that carries progress snapshots from the file workers to the UI thread. It may be
// absent (dropped with its queue); snapshots put while it is absent are discarded. Snapshots are
// put at the front and taken from the front, so a drain meets them newest first. It holds the
// newest kLimit snapshots at most: a page that does not poll costs no more. Every operation locks;
// a take never waits.
class ProgressList {
public:
    static constexpr size_t kLimit = 1024;

    void create();
    void drop();
    bool exists() const;

    void put(const ProgressSnapshot& snapshot);
    std::optional<ProgressSnapshot> take();

private:
    mutable std::mutex mutex_;
    bool exists_ = false;
    std::deque<ProgressSnapshot> items_;
};

}  // namespace download
