#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lobby/download/progress.h"
#include "lobby/download/progress_list.h"
#include "runtime/http_connections.h"

namespace download {

// One game file download of a file worker: the address rotation over servers and candidate
// versions, with retries, into the staging folder.
//
// Connection failures and errors other than 404/502/504 get four attempts per server. A 404, 502
// or 504 steps back to the next older candidate version at once and retries only on the oldest;
// when that is spent the file has failed (state 3). Either way the next server follows, from the
// newest candidate again. Each attempt writes a part file of this job's own beside the target,
// metering and digesting the body as it arrives; only a complete body of the expected MD5 is
// renamed over the target, so the target (which an installed file may share as a hard link) is
// never written in place, not even by a job of a dropped queue. A complete body of another MD5
// fails the file (state 3) at once.
class FileJob {
public:
    struct Settings {
        std::vector<std::string> servers;
        std::vector<std::string> vers;               // candidate versions, oldest first
        int32_t ver = 0;                             // the newest candidate's index
        std::string file;                            // relative path, "\"-separated
        std::string target;                          // local file written
        std::string etag;                            // query appended to every address
        std::string md5;                             // expected digest, hex in either case
        rt::HttpConnections* connections = nullptr;  // kept-alive connections, or none
    };

    FileJob(Settings settings, ProgressRecord& record, ProgressList& list);
    ~FileJob();
    FileJob(const FileJob&) = delete;
    FileJob& operator=(const FileJob&) = delete;

    // Runs the attempts until one succeeds or every server has failed; the record's state then
    // tells which (2 downloaded, else failed), error() the last error text.
    void run();
    const std::string& error() const { return error_; }
    // Addresses requested, in order.
    const std::vector<std::string>& requested() const { return requested_; }

    // The address of `file` in version `version` on `server`.
    static std::string address(const std::string& server, const std::string& version,
                               const std::string& file, const std::string& etag);

private:
    enum class Next { Done, Again, Stop };
    Next attempt();
    Next afterError(const std::string& message);
    Next failOver();

    Settings s_;
    ProgressRecord& record_;
    ProgressList& list_;
    size_t server_ = 0;
    int32_t version_ = 0;
    int32_t retry_ = 0;
    std::string error_;
    std::string part_;
    std::vector<std::string> requested_;
};

}  // namespace download
