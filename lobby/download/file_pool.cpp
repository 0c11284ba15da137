#include "lobby/download/file_pool.h"

#include <exception>
#include <thread>

#include "runtime/trace.h"

namespace download {
namespace {

thread_local rt::HttpConnections* threadConnections = nullptr;

}  // namespace

FilePool& FilePool::shared() {
    static auto* pool = new FilePool();
    return *pool;
}

rt::HttpConnections* FilePool::connections() {
    return threadConnections;
}

void FilePool::run(std::function<void()> job) {
    std::lock_guard<std::mutex> lock(mutex_);
    jobs_.push_back(std::move(job));
    if (idle_ >= jobs_.size() || threads_ == kThreads) {
        ready_.notify_one();
        return;
    }
    std::thread([this] { work(); }).detach();
    ++threads_;
}

void FilePool::waitIdle() {
    std::unique_lock<std::mutex> lock(mutex_);
    idleChanged_.wait(lock, [this] { return running_ == 0 && jobs_.empty(); });
}

void FilePool::work() {
    rt::HttpConnections connections;
    threadConnections = &connections;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        ++idle_;
        ready_.wait(lock, [this] { return !jobs_.empty(); });
        --idle_;
        std::function<void()> job = std::move(jobs_.front());
        jobs_.pop_front();
        ++running_;
        lock.unlock();
        try {
            job();
        } catch (const std::exception& e) {
            RT_TRACE(std::string("download job failed: ") + e.what());
        }
        job = nullptr;
        lock.lock();
        --running_;
        if (running_ == 0 && jobs_.empty()) idleChanged_.notify_all();
    }
}

}  // namespace download
