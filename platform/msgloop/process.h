// Child processes: start from a command line, wait, terminate, exit code; reaped by the loop.
#pragma once

#include <sys/types.h>

#include <set>

#include "platform/msgloop/msgloop.h"
#include "platform/msgloop/poll_list.h"
#include "platform/shared/no_copy.h"

struct ml_process {
    pid_t pid = 0;
    int pidfd = -1;      // open until the process is reaped
    bool ended = false;  // reaped; exit_code holds the result
    int exit_code = 0;
    bool kill_requested = false;
    int kill_code = 0;
    bool closed = false;  // the owner let go; the loop frees it once reaped
};

namespace msgloop {

int start_process(const char* cmdline, ml_process** out);
// ML_OK once ended, ML_ERR_TIMEOUT while it runs past the timeout (negative: no limit).
int wait_process(ml_process* process, int timeout_ms);
int terminate_process(ml_process* process, int exit_code);
int process_exit_code(ml_process* process, int* code);
// Collects the exit status when the process has ended; false while it runs.
bool reap_process(ml_process* process);
void free_process(ml_process* process);

// The processes the loop reaps as soon as they end.
class ProcessTable : private morvick::NoCopy {
public:
    ~ProcessTable();

    void watch(ml_process* process) { watched_.insert(process); }
    // Frees the process at once when reaped, else when the loop reaps it.
    void close(ml_process* process);
    void add_sources(PollList& list) const;
    void on_ready(uint64_t id);

private:
    std::set<ml_process*> watched_;
};

}  // namespace msgloop
