#include "tools/testhttp/stop_signal.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace testhttp {

StopSignal::StopSignal() {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error(std::string("cannot create the stop pipe: ") +
                                 std::strerror(errno));
}

StopSignal::~StopSignal() {
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

void StopSignal::trigger() {
    if (triggered_.exchange(true, std::memory_order_acq_rel)) return;
    char byte = 1;
    while (::write(pipe_[1], &byte, 1) < 0 && errno == EINTR) {
    }
}

WaitResult waitForSocket(int fd, short events, const StopSignal& stop,
                         std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int ms = -1;
        if (timeout.count() >= 0) {
            auto left = std::chrono::ceil<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            ms = left.count() > 0 ? static_cast<int>(left.count()) : 0;
        }
        pollfd fds[2] = {{stop.fd(), POLLIN, 0}, {fd, events, 0}};
        int n = ::poll(fds, fd >= 0 ? 2 : 1, ms);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw std::runtime_error(std::string("poll failed: ") + std::strerror(errno));
        if (stop.triggered() || fds[0].revents != 0) return WaitResult::Stopped;
        if (n > 0) return WaitResult::Ready;
        if (std::chrono::steady_clock::now() >= deadline) return WaitResult::TimedOut;
    }
}

bool sleepUnlessStopped(const StopSignal& stop, std::chrono::milliseconds duration) {
    if (duration.count() <= 0) return !stop.triggered();
    return waitForSocket(-1, 0, stop, duration) == WaitResult::TimedOut;
}

bool sendAll(int fd, std::string_view bytes, const StopSignal& stop) {
    while (!bytes.empty()) {
        ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n > 0) {
            bytes.remove_prefix(static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (waitForSocket(fd, POLLOUT, stop) != WaitResult::Ready) return false;
            continue;
        }
        return false;
    }
    return true;
}

}  // namespace testhttp
