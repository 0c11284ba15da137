#include "lobby/e2e/program_run.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace e2e {
namespace {

constexpr int kPollMs = 10;

std::vector<std::string> readLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

// Waits for the child `pid` to end; answers its exit code (128 + the signal), or kills it and
// answers -1 when the guard runs out.
int waitForChild(pid_t pid, int guardMs) {
    for (int waited = 0;; waited += kPollMs) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (waited >= guardMs) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
}

// The pid of a child of this process whose program is `name`, also one that has ended and
// waits to be reaped, or -1.
pid_t childNamed(const std::string& name) {
    namespace fs = std::filesystem;
    // "pid (name) state ppid ...", the name cut to 15 characters.
    const std::string wanted = "(" + name.substr(0, 15) + ") ";
    const std::string parent = " " + std::to_string(getpid()) + " ";
    std::error_code error;
    for (const auto& e : fs::directory_iterator("/proc", error)) {
        const std::string pid = e.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream statFile(e.path() / "stat");
        std::string stat;
        std::getline(statFile, stat);
        const size_t open = stat.find('(');
        if (open == std::string::npos || stat.compare(open, wanted.size(), wanted) != 0) continue;
        const size_t ppidAt = stat.find(' ', open + wanted.size());
        if (ppidAt != std::string::npos && stat.compare(ppidAt, parent.size(), parent) == 0) {
            return static_cast<pid_t>(std::stol(pid));
        }
    }
    return -1;
}

}  // namespace

void adoptOrphans() {
    if (prctl(PR_SET_CHILD_SUBREAPER, 1) != 0) {
        throw std::runtime_error(std::string("cannot adopt orphans: ") + std::strerror(errno));
    }
}

bool hasLine(const std::vector<std::string>& lines, const std::string& text) {
    return lineIndex(lines, text) >= 0;
}

int lineIndex(const std::vector<std::string>& lines, const std::string& text, int from) {
    for (int i = from; i < static_cast<int>(lines.size()); ++i) {
        if (lines[i].find(text) != std::string::npos) return i;
    }
    return -1;
}

ProgramRun::ProgramRun(const TestInstall& install, std::string name, std::string instanceTag)
    : install_(install), name_(std::move(name)) {
    const char* path = std::getenv("PATH");
    // No test opens a page in a real browser: xdg-open only notes its address.
    install.writeFile("bin/xdg-open",
                      "#!/bin/sh\necho \"$@\" >> \"" + install.path("opened.txt") + "\"\n");
    chmod(install.path("bin/xdg-open").c_str(), 0755);
    env_ = {
        {"HOME", install.path("home")},
        {"XDG_CONFIG_HOME", install.path("home/.config")},
        {"XDG_DATA_HOME", install.path("home/.local/share")},
        {"SYSLITE_HOME", install.path("syslite")},
        {"SYSLITE_ANSWERS", install.path("answers.ini")},
        {"MORVICK_PLATFORM_LOG", install.path("platform-" + name_ + ".log")},
        {"APPDATA", install.path("appdata")},
        {"SystemRoot", install.path("system")},
        {"ProgramFiles", install.path("programs")},
        {"TESTHOST_RECORD", recordPath()},
        {"TESTHOST_INSTANCE_TAG", instanceTag},
        {"PATH", install.path("bin") + (path ? std::string(":") + path : std::string())},
    };
}

ProgramRun::~ProgramRun() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

std::string ProgramRun::recordPath() const {
    return install_.path("record-" + name_ + ".log");
}

void ProgramRun::playTour(const std::string& tourFile) {
    env_["CEFHX_HEADLESS"] = "1";
    env_["CEFHX_PROFILE_DIR"] = install_.path("browser-profile");
    env_["CEFHX_TOUR"] = tourFile;
    env_["CEFHX_SHOTS"] = install_.path("shots");
    env_["CEFHX_TOUR_LOG"] = install_.path("tour.log");
    env_["MORVICK_BIN"] = buildPaths().binDir;
    env_["MORVICK_GAME_LOGS"] = install_.path("games");
}

void ProgramRun::setScript(const std::string& script) {
    std::string relative = "script-" + name_ + ".txt";
    install_.writeFile(relative, script);
    env_["TESTHOST_SCRIPT"] = install_.path(relative);
}

void ProgramRun::start() {
    std::map<std::string, std::string> all;
    for (char** e = environ; *e; ++e) {
        std::string entry(*e);
        size_t eq = entry.find('=');
        if (eq != std::string::npos) all[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    for (const auto& [k, v] : env_) all[k] = v;
    std::vector<std::string> entries;
    for (const auto& [k, v] : all) entries.push_back(k + "=" + v);
    std::vector<char*> envp;
    for (std::string& e : entries) envp.push_back(e.data());
    envp.push_back(nullptr);

    std::string program = install_.programFolder() + program_;
    std::string output = install_.path("output-" + name_ + ".log");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    // Nothing the run reads comes from the test's input.
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, install_.programFolder().c_str());
    char* argv[] = {program.data(), nullptr};
    int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " + program + ": " + std::strerror(rc));
    }
}

bool ProgramRun::reaped() {
    if (pid_ <= 0) return true;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) != pid_) return false;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    pid_ = -1;
    return true;
}

int ProgramRun::wait(int guardMs) {
    if (pid_ > 0) {
        exitCode_ = waitForChild(pid_, guardMs);
        pid_ = -1;
    }
    return exitCode_;
}

int ProgramRun::waitForLeftProgram(const std::string& name, int guardMs) {
    const pid_t pid = childNamed(name);
    return pid > 0 ? waitForChild(pid, guardMs) : -2;
}

std::vector<std::string> ProgramRun::timedRecord() const {
    return readLines(recordPath());
}

std::vector<std::string> ProgramRun::record() const {
    std::vector<std::string> lines = readLines(recordPath());
    for (std::string& l : lines) {
        size_t space = l.find(' ');
        if (space != std::string::npos) l.erase(0, space + 1);
    }
    return lines;
}

bool ProgramRun::waitForRecord(const std::string& text, int guardMs) {
    for (int waited = 0; waited < guardMs; waited += kPollMs) {
        if (hasLine(record(), text)) return true;
        if (reaped()) return hasLine(record(), text);
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
    return false;
}

std::string ProgramRun::output() const {
    return install_.readFile("output-" + name_ + ".log");
}

}  // namespace e2e
