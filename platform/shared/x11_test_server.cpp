#include "platform/shared/x11_test_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace platform::test {
namespace {

// How long a child may take to say where it listens: a guard against a hang, not a speed check.
constexpr int kStartGuardMs = 60000;

}  // namespace

std::string ChildService::start(const std::string& what, std::initializer_list<std::string> argv) {
    stop();
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe for " + what + " failed");
    // The child's end must survive exec: give it a number of its own without close-on-exec.
    int childEnd = ::fcntl(fds[1], F_DUPFD, 10);
    ::close(fds[1]);
    std::vector<std::string> args;
    for (std::string a : argv) {
        size_t at = a.find("{fd}");
        if (at != std::string::npos) a.replace(at, 4, std::to_string(childEnd));
        args.push_back(a);
    }
    std::vector<char*> raw;
    for (std::string& a : args) raw.push_back(a.data());
    raw.push_back(nullptr);
    // fork rather than posix_spawn: the child asks to be ended with the test program, so a
    // test that crashes leaves no server behind.
    pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) ::_exit(127);
        int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execvp(raw[0], raw.data());
        ::_exit(127);
    }
    int rc = pid_ < 0 ? errno : 0;
    ::close(childEnd);
    if (rc != 0) {
        ::close(fds[0]);
        pid_ = -1;
        throw std::runtime_error("starting " + what + " (" + args[0] +
                                 ") failed: " + std::strerror(rc));
    }
    std::string line;
    while (line.find('\n') == std::string::npos) {
        pollfd p{fds[0], POLLIN, 0};
        int ready = ::poll(&p, 1, kStartGuardMs);
        if (ready < 0 && errno == EINTR) continue;
        char buf[256];
        ssize_t n = ready > 0 ? ::read(fds[0], buf, sizeof buf) : 0;
        if (n <= 0) {
            ::close(fds[0]);
            stop();
            throw std::runtime_error(what + " ended or said nothing before it was ready");
        }
        line.append(buf, static_cast<size_t>(n));
    }
    ::close(fds[0]);
    return line.substr(0, line.find('\n'));
}

void ChildService::stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
}

XvfbServer::XvfbServer() {
    std::string number = process_.start("Xvfb", {"Xvfb", "-displayfd", "{fd}", "-nolisten", "tcp",
                                                 "-noreset", "-screen", "0", "1280x1024x24"});
    display_ = ":" + number;
}

void XvfbServer::exportDisplay() const {
    ::setenv("DISPLAY", display_.c_str(), 1);
}

PrivateBus::PrivateBus() {
    address_ = process_.start("dbus-daemon", {"dbus-daemon", "--session", "--nofork", "--nopidfile",
                                              "--print-address={fd}"});
}

void PrivateBus::exportAddress() const {
    ::setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
}

XvfbServer& sharedXvfb() {
    // Never torn down: connections a library keeps for the process's life must not see their
    // server go while the program ends. The server ends with the program (parent-death signal).
    static XvfbServer* server = new XvfbServer;
    return *server;
}

PrivateBus& sharedBus() {
    static PrivateBus bus;
    return bus;
}

}  // namespace platform::test
