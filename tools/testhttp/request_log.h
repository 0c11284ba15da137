#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "tools/testhttp/request.h"

namespace testhttp {

// One request the server took, with what it answered.
struct LoggedRequest {
    Request request;
    int connection = 0;  // 1-based number of the connection it came on, in order of accepting
    int number = 0;      // 1-based number of this request among those for its path
    int status = 0;      // status answered; 0 when the server never answered (a stall)
    std::string fault;   // the fault applied (Fault::describe()), empty when none
};

// Every request the server took, in order of arrival, for tests to inspect. Thread-safe.
class RequestLog {
public:
    struct Outcome {
        int status = 0;
        std::string fault;
    };

    // Records `request`. `decide` gets the request's number for its path and tells what the
    // server answers; it runs under the log's lock, so numbering and deciding are one step.
    LoggedRequest record(Request request, int connection,
                         const std::function<Outcome(const Request&, int number)>& decide);

    std::vector<LoggedRequest> all() const;
    std::vector<LoggedRequest> forPath(std::string_view path) const;
    size_t size() const;
    int countFor(std::string_view path) const;

    // Wait until at least `n` requests in all (or for `path`) were taken; false on time-out.
    bool waitFor(size_t n, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    bool waitForPath(std::string_view path, int n,
                     std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

    // Forgets every request and restarts the per-path numbering (which faults for the Nth
    // request count on).
    void clear();

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<LoggedRequest> entries_;
    std::map<std::string, int, std::less<>> counts_;
};

}  // namespace testhttp
