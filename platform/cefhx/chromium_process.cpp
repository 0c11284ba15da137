#include "platform/cefhx/chromium_process.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace cefhx {
namespace {

morvick::Failure systemError(const std::string& what) {
    return morvick::fail(what + ": " + std::strerror(errno));
}

// Waits for the child without blocking past the deadline; true when it was reaped.
bool reapWithin(pid_t pid, int ms) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        pid_t r = waitpid(pid, nullptr, WNOHANG);
        if (r == pid || (r < 0 && errno == ECHILD)) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// True while a process of the group is still running (a zombie has ended and does not count).
bool groupRunning(pid_t group) {
    DIR* proc = opendir("/proc");
    if (!proc) return false;
    bool running = false;
    while (dirent* e = readdir(proc)) {
        if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
        // A process may end while it is read: any failure counts as gone (no exception here).
        const int fd =
            ::open((std::string("/proc/") + e->d_name + "/stat").c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        char buffer[512];
        const ssize_t n = ::read(fd, buffer, sizeof buffer - 1);
        ::close(fd);
        if (n <= 0) continue;
        const std::string stat(buffer, static_cast<size_t>(n));
        // "pid (name) state ppid pgrp ...": the name may hold spaces and parentheses.
        const size_t close = stat.rfind(')');
        if (close == std::string::npos) continue;
        char state = 0;
        long parent = 0, pgrp = 0;
        if (std::sscanf(stat.c_str() + close + 1, " %c %ld %ld", &state, &parent, &pgrp) == 3 &&
            pgrp == group && state != 'Z') {
            running = true;
            break;
        }
    }
    closedir(proc);
    return running;
}

}  // namespace

std::vector<std::string> chromiumArguments(const ChromiumOptions& o) {
    std::vector<std::string> args = {
        o.binary,
        "--remote-debugging-pipe",
        "--no-first-run",
        "--no-default-browser-check",
        "--disable-background-networking",
        "--disable-component-update",
        "--disable-sync",
        "--disable-default-apps",
        "--disable-extensions",
        "--disable-breakpad",
        "--disable-domain-reliability",
        "--disable-client-side-phishing-detection",
        // Nor the address bar's pop-up pages that every tabbed window (headless ones too) keeps
        // ready in a renderer of their own: no window of ours shows an address bar.
        "--disable-features=Translate,MediaRouter,OptimizationHints,AutofillServerCommunication,"
        "WebUIOmniboxPopup,WebUIOmniboxAimPopup",
        "--metrics-recording-only",
        "--no-pings",
        "--password-store=basic",
        "--use-mock-keychain",
        "--disable-background-timer-throttling",
        "--disable-renderer-backgrounding",
        "--disable-backgrounding-occluded-windows",
        "--allow-file-access-from-files",
        "--test-type",
        "--user-data-dir=" + o.profileDir,
    };
    if (geteuid() == 0) args.push_back("--no-sandbox");
    if (o.headless) {
        args.push_back("--headless=new");
        args.push_back("--screen-info={" + std::to_string(o.screenWidth) + "x" +
                       std::to_string(o.screenHeight) + "}");
    }
    // No window until the program opens one (with a display: application windows).
    args.push_back("--no-startup-window");
    if (!o.locale.empty()) args.push_back("--lang=" + o.locale);
    if (!o.userAgent.empty()) args.push_back("--user-agent=" + o.userAgent);
    if (!o.javascriptFlags.empty()) args.push_back("--js-flags=" + o.javascriptFlags);
    return args;
}

std::vector<std::string> appWindowArguments(const ChromiumOptions& o, const std::string& url) {
    std::vector<std::string> args = {o.binary, "--user-data-dir=" + o.profileDir, "--no-first-run",
                                     "--test-type"};
    if (geteuid() == 0) args.push_back("--no-sandbox");
    args.push_back("--app=" + url);
    return args;
}

ChromiumProcess::~ChromiumProcess() {
    stop(0);
}

morvick::Expected<void> ChromiumProcess::start(const ChromiumOptions& options) {
    if (access(options.binary.c_str(), X_OK) != 0) {
        return systemError("cannot run the browser " + options.binary);
    }
    int commands[2];  // we write [1], Chromium reads fd 3
    int events[2];    // Chromium writes fd 4, we read [0]
    if (pipe2(commands, O_CLOEXEC) != 0) return systemError("pipe for browser commands");
    if (pipe2(events, O_CLOEXEC) != 0) {
        close(commands[0]);
        close(commands[1]);
        return systemError("pipe for browser events");
    }
    std::vector<std::string> args = chromiumArguments(options);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    bool quiet = !options.logToStderr;

    pid_t pid = fork();
    if (pid < 0) {
        for (int fd : {commands[0], commands[1], events[0], events[1]}) close(fd);
        return systemError("fork for the browser");
    }
    if (pid == 0) {
        // Child: only async-signal-safe calls from here on.
        setpgid(0, 0);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        signal(SIGPIPE, SIG_DFL);
        // Move the pipe ends out of the way before placing them at 3 and 4.
        int in = fcntl(commands[0], F_DUPFD, 10);
        int out = fcntl(events[1], F_DUPFD, 10);
        if (in < 0 || out < 0 || dup2(in, 3) < 0 || dup2(out, 4) < 0) _exit(127);
        if (quiet) {
            int devnull = open("/dev/null", O_WRONLY);
            if (devnull >= 0) dup2(devnull, 2);
        }
        int devnullIn = open("/dev/null", O_RDONLY);
        if (devnullIn >= 0) dup2(devnullIn, 0);
        for (int fd = 5; fd < 4096; ++fd) close(fd);
        execv(argv[0], argv.data());
        _exit(127);
    }
    setpgid(pid, pid);
    close(commands[0]);
    close(events[1]);
    fcntl(events[0], F_SETFL, fcntl(events[0], F_GETFL) | O_NONBLOCK);
    pid_ = pid;
    commandFd_ = commands[1];
    eventFd_ = events[0];
    return {};
}

morvick::Expected<void> ChromiumProcess::openAppWindow(const ChromiumOptions& options,
                                                       const std::string& url) {
    reapLaunchers();
    if (pid_ <= 0) return morvick::fail("no browser runs to open " + url);
    std::vector<std::string> args = appWindowArguments(options, url);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t group = pid_;
    pid_t pid = fork();
    if (pid < 0) return systemError("fork for a window of " + url);
    if (pid == 0) {
        // Child: only async-signal-safe calls from here on.
        setpgid(0, group);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        signal(SIGPIPE, SIG_DFL);
        int devnull = open("/dev/null", O_RDWR);
        if (devnull >= 0) {
            dup2(devnull, 0);
            dup2(devnull, 1);
            dup2(devnull, 2);
        }
        for (int fd = 3; fd < 4096; ++fd) close(fd);
        execv(argv[0], argv.data());
        _exit(127);
    }
    setpgid(pid, group);
    launchers_.push_back(pid);
    return {};
}

void ChromiumProcess::reapLaunchers() {
    std::erase_if(launchers_, [](pid_t pid) {
        pid_t r = waitpid(pid, nullptr, WNOHANG);
        return r == pid || (r < 0 && errno == ECHILD);
    });
}

void ChromiumProcess::stop(int graceMs) {
    if (commandFd_ >= 0) close(commandFd_);
    if (eventFd_ >= 0) close(eventFd_);
    commandFd_ = eventFd_ = -1;
    if (pid_ <= 0) return;
    if (!reapWithin(pid_, graceMs)) {
        kill(-pid_, SIGKILL);
        reapWithin(pid_, 5000);
    }
    // Helpers that outlived the browser process (zygote, renderers) go with its group; a signal
    // takes a moment to end a process, so wait (briefly) until none of them runs.
    kill(-pid_, SIGKILL);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (groupRunning(pid_) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    for (pid_t launcher : launchers_) waitpid(launcher, nullptr, 0);
    launchers_.clear();
    pid_ = -1;
}

}  // namespace cefhx
