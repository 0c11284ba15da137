#include "platform/msgloop/process.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/msgloop/clock.h"
#include "platform/msgloop/command_line.h"
#include "platform/msgloop/error.h"
#include "platform/shared/spawn_setup.h"

extern char** environ;

namespace msgloop {

namespace {

// waitid(2) on a pidfd; the C library headers do not name it yet.
constexpr idtype_t kIdPidfd = static_cast<idtype_t>(3);

int open_pidfd(pid_t pid) {
    return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
}

int signal_pidfd(int pidfd, int sig) {
    return static_cast<int>(syscall(SYS_pidfd_send_signal, pidfd, sig, nullptr, 0));
}

}  // namespace

int start_process(const char* cmdline, ml_process** out) {
    auto is_program = [](const std::string& name) { return find_program(name).has_value(); };
    std::vector<std::string> args = split_command_line(cmdline, is_program);
    if (args.empty() || args[0].empty()) {
        return fail(ML_ERR_ARG, "the command line \"%s\" names no program", cmdline);
    }
    std::optional<std::string> path = find_program(args[0]);
    if (!path) {
        return fail(ML_ERR_SYSTEM, "no executable program \"%s\" for the command line \"%s\"",
                    args[0].c_str(), cmdline);
    }
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    morvick::SpawnSetup setup(morvick::SpawnSetup::Session::Ours);
    pid_t pid = 0;
    int err = posix_spawn(&pid, path->c_str(), &setup.actions, &setup.attr, argv.data(), environ);
    if (err != 0) {
        return fail(ML_ERR_SYSTEM, "starting \"%s\" failed: %s", cmdline, std::strerror(err));
    }
    int pidfd = open_pidfd(pid);
    if (pidfd < 0) {
        int saved = errno;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return fail(ML_ERR_SYSTEM, "opening a pidfd for \"%s\" (pid %d) failed: %s", cmdline,
                    static_cast<int>(pid), std::strerror(saved));
    }
    auto* process = new ml_process;
    process->pid = pid;
    process->pidfd = pidfd;
    *out = process;
    return ML_OK;
}

bool reap_process(ml_process* process) {
    if (process->ended) return true;
    siginfo_t info{};
    int r;
    while ((r = waitid(kIdPidfd, static_cast<id_t>(process->pidfd), &info, WEXITED | WNOHANG)) <
               0 &&
           errno == EINTR) {
    }
    if (r < 0 || info.si_pid == 0) return false;
    if (info.si_code == CLD_EXITED) {
        process->exit_code = info.si_status;
    } else if (process->kill_requested && info.si_status == SIGKILL) {
        process->exit_code = process->kill_code;
    } else {
        process->exit_code = 128 + info.si_status;
    }
    process->ended = true;
    close(process->pidfd);
    process->pidfd = -1;
    return true;
}

int wait_process(ml_process* process, int timeout_ms) {
    uint64_t deadline = timeout_ms < 0 ? 0 : Clock::instance().now_ms() + timeout_ms;
    while (!reap_process(process)) {
        int wait_ms = -1;
        if (timeout_ms >= 0) {
            uint64_t now = Clock::instance().now_ms();
            if (now >= deadline) {
                return fail(ML_ERR_TIMEOUT, "process %d still runs after %d ms",
                            static_cast<int>(process->pid), timeout_ms);
            }
            wait_ms = static_cast<int>(deadline - now);
        }
        pollfd p{process->pidfd, POLLIN, 0};
        poll(&p, 1, wait_ms);
    }
    return ML_OK;
}

int terminate_process(ml_process* process, int exit_code) {
    if (reap_process(process)) {
        return fail(ML_ERR_ENDED, "process %d has already ended with code %d",
                    static_cast<int>(process->pid), process->exit_code);
    }
    if (signal_pidfd(process->pidfd, SIGKILL) != 0) {
        return fail(ML_ERR_SYSTEM, "terminating process %d failed: %s",
                    static_cast<int>(process->pid), std::strerror(errno));
    }
    process->kill_requested = true;
    process->kill_code = exit_code;
    return ML_OK;
}

int process_exit_code(ml_process* process, int* code) {
    if (!reap_process(process)) {
        return fail(ML_ERR_RUNNING, "process %d still runs", static_cast<int>(process->pid));
    }
    *code = process->exit_code;
    return ML_OK;
}

void free_process(ml_process* process) {
    if (process->pidfd >= 0) close(process->pidfd);
    delete process;
}

ProcessTable::~ProcessTable() {
    for (ml_process* process : watched_) {
        if (process->closed) free_process(process);
    }
}

void ProcessTable::close(ml_process* process) {
    if (process->ended) {
        watched_.erase(process);
        free_process(process);
        return;
    }
    process->closed = true;
    watched_.insert(process);
}

void ProcessTable::add_sources(PollList& list) const {
    for (ml_process* process : watched_) {
        if (process->pidfd >= 0) {
            list.add(process->pidfd, POLLIN, Source::kProcess,
                     reinterpret_cast<uintptr_t>(process));
        }
    }
}

void ProcessTable::on_ready(uint64_t id) {
    auto* process = reinterpret_cast<ml_process*>(static_cast<uintptr_t>(id));
    auto it = watched_.find(process);
    if (it == watched_.end() || !reap_process(process)) return;
    watched_.erase(it);
    if (process->closed) free_process(process);
}

}  // namespace msgloop
