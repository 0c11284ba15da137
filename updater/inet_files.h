#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

#include "updater/inet_file.h"

namespace haldor {

// The queue of transfers in the order they were queued; it owns them.
class CInetFiles {
public:
    void Push(std::unique_ptr<CInetFile> file);
    CInetFile* Head();
    CInetFile* Tail();
    std::unique_ptr<CInetFile> Pop();
    std::size_t Count();
    void Clear();
    void Remove(CInetFile* file);
    // The queued transfer with this id, or none (it was removed meanwhile).
    CInetFile* Find(std::uint64_t id);

private:
    std::mutex mutex_;
    std::deque<std::unique_ptr<CInetFile>> files_;
};

}  // namespace haldor
