#include "platform/syslite/process_starter.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "platform/shared/spawn_setup.h"
#include "runtime/strings.h"

extern char** environ;

namespace syslite {
pid_t startProcess(const std::string& file, const std::vector<std::string>& argv,
                   const std::string& folder) {
    morvick::SpawnSetup setup(morvick::SpawnSetup::Session::Own, {SIGCHLD});
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&setup.actions, folder.c_str());
    std::vector<std::string> args = argv;
    std::vector<char*> raw;
    for (std::string& a : args) raw.push_back(a.data());
    raw.push_back(nullptr);
    pid_t pid = 0;
    int error = posix_spawn(&pid, file.c_str(), &setup.actions, &setup.attr, raw.data(), environ);
    if (error != 0) {
        throw std::runtime_error("starting " + file + (folder.empty() ? "" : " in " + folder) +
                                 " failed: " + std::strerror(error));
    }
    return pid;
}

int waitForProcess(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

void reapInBackground(pid_t pid) {
    std::thread([pid] { waitForProcess(pid); }).detach();
}

std::string findInPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return {};
    for (const std::string& dir : rt::split(path, ":")) {
        if (dir.empty()) continue;
        std::string candidate = dir + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

}  // namespace syslite
