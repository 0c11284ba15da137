#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "platform/shared/no_copy.h"
#include "tools/testhttp/content_store.h"
#include "tools/testhttp/fault.h"
#include "tools/testhttp/fault_table.h"
#include "tools/testhttp/request_log.h"
#include "tools/testhttp/stop_signal.h"

namespace testhttp {

// An HTTP/1.1 server on 127.0.0.1 for tests. It serves GET and HEAD with single byte ranges
// and keep-alive from files added in memory or folders on disk, misbehaves on request as the
// faults set per path say, and logs every request. It listens from construction, serves each
// connection on its own thread, and stops in its destructor with every thread joined and every
// socket closed.
class Server : private morvick::NoCopy {
public:
    // Listens on 127.0.0.1:`port`; 0 picks a free port. Throws std::runtime_error when the
    // port cannot be had.
    explicit Server(uint16_t port = 0);
    ~Server();

    uint16_t port() const { return port_; }
    // "http://127.0.0.1:<port>" followed by `path`.
    std::string url(std::string_view path = "") const;

    void addFile(std::string path, std::string bytes) {
        store_.addFile(std::move(path), std::move(bytes));
    }
    bool removeFile(std::string_view path) { return store_.removeFile(path); }
    void serveFolder(std::string prefix, std::filesystem::path dir) {
        store_.serveFolder(std::move(prefix), std::move(dir));
    }

    // Faults by exact path; they may change at any time and apply from the next request on.
    void setFault(std::string path, Fault fault) { faults_.set(std::move(path), std::move(fault)); }
    void addFault(std::string path, Fault fault) { faults_.add(std::move(path), std::move(fault)); }
    void clearFaults(std::string_view path) { faults_.clear(path); }
    void clearAllFaults() { faults_.clearAll(); }

    RequestLog& log() { return log_; }
    const RequestLog& log() const { return log_; }

    // Stops accepting, ends every connection (stalled ones too) and joins the threads.
    // Idempotent; the destructor calls it.
    void stop();

private:
    struct Worker {
        std::thread thread;
        std::atomic<bool> done{false};
    };

    void acceptLoop();
    void reapFinished();

    ContentStore store_;
    FaultTable faults_;
    RequestLog log_;
    StopSignal stop_;
    int listenFd_ = -1;
    uint16_t port_ = 0;
    int connections_ = 0;
    std::list<Worker> workers_;  // touched by the accept thread, then by stop() after joining it
    std::thread acceptThread_;
    std::mutex stopMutex_;
};

}  // namespace testhttp
