#include "tools/testhttp/request_log.h"

namespace testhttp {

LoggedRequest RequestLog::record(Request request, int connection,
                                 const std::function<Outcome(const Request&, int number)>& decide) {
    LoggedRequest entry;
    {
        std::lock_guard lock(mutex_);
        int number = ++counts_[request.path];
        Outcome outcome = decide(request, number);
        entry.request = std::move(request);
        entry.connection = connection;
        entry.number = number;
        entry.status = outcome.status;
        entry.fault = std::move(outcome.fault);
        entries_.push_back(entry);
    }
    changed_.notify_all();
    return entry;
}

std::vector<LoggedRequest> RequestLog::all() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

std::vector<LoggedRequest> RequestLog::forPath(std::string_view path) const {
    std::lock_guard lock(mutex_);
    std::vector<LoggedRequest> out;
    for (const LoggedRequest& e : entries_) {
        if (e.request.path == path) out.push_back(e);
    }
    return out;
}

size_t RequestLog::size() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

int RequestLog::countFor(std::string_view path) const {
    std::lock_guard lock(mutex_);
    auto it = counts_.find(path);
    return it == counts_.end() ? 0 : it->second;
}

bool RequestLog::waitFor(size_t n, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return entries_.size() >= n; });
}

bool RequestLog::waitForPath(std::string_view path, int n,
                             std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] {
        auto it = counts_.find(path);
        return it != counts_.end() && it->second >= n;
    });
}

void RequestLog::clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
    counts_.clear();
}

}  // namespace testhttp
