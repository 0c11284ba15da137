#include "updater/inet_files.h"

#include <algorithm>

#include "updater/owned_queue.h"

namespace haldor {

void CInetFiles::Push(std::unique_ptr<CInetFile> file) {
    std::lock_guard lock(mutex_);
    files_.push_back(std::move(file));
}

CInetFile* CInetFiles::Head() {
    std::lock_guard lock(mutex_);
    return files_.empty() ? nullptr : files_.front().get();
}

CInetFile* CInetFiles::Tail() {
    std::lock_guard lock(mutex_);
    return files_.empty() ? nullptr : files_.back().get();
}

std::unique_ptr<CInetFile> CInetFiles::Pop() {
    std::lock_guard lock(mutex_);
    return TakeFront(files_);
}

std::size_t CInetFiles::Count() {
    std::lock_guard lock(mutex_);
    return files_.size();
}

void CInetFiles::Clear() {
    std::deque<std::unique_ptr<CInetFile>> gone;
    {
        std::lock_guard lock(mutex_);
        gone.swap(files_);
    }
}

void CInetFiles::Remove(CInetFile* file) {
    std::unique_ptr<CInetFile> gone;
    std::lock_guard lock(mutex_);
    auto it = std::find_if(files_.begin(), files_.end(),
                           [file](const auto& queued) { return queued.get() == file; });
    if (it == files_.end()) return;
    gone = std::move(*it);
    files_.erase(it);
}

CInetFile* CInetFiles::Find(std::uint64_t id) {
    std::lock_guard lock(mutex_);
    for (const auto& file : files_)
        if (file->id() == id) return file.get();
    return nullptr;
}

}  // namespace haldor
