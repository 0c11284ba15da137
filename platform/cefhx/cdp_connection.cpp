#include "platform/cefhx/cdp_connection.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/msgloop/msgloop.h"

namespace cefhx {
namespace {

void readableCallback(int, unsigned, void* arg) {
    static_cast<CdpConnection*>(arg)->onReadable();
}

// Writes to the browser's pipe. A browser that has ended makes the write fail (EPIPE) instead of
// ending this process: SIGPIPE is held back on this thread for the write, and one it raised is
// taken before the thread's signal mask is restored.
bool writeAll(int fd, const std::string& data) {
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    const bool alreadyPending = sigismember(&pending, SIGPIPE) == 1;
    sigset_t saved;
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &saved);
    size_t done = 0;
    bool broken = false;
    while (done < data.size()) {
        ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            broken = errno == EPIPE;
            break;
        }
        done += static_cast<size_t>(n);
    }
    if (broken && !alreadyPending) {
        const timespec now{0, 0};
        while (sigtimedwait(&pipeSignal, nullptr, &now) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &saved, nullptr);
    return done == data.size();
}

}  // namespace

void CdpConnection::setHandlers(EventHandler onEvent, std::function<void()> onClosed) {
    dispatcher_.setHandlers(std::move(onEvent), std::move(onClosed));
}

void CdpConnection::open(int commandFd, int eventFd) {
    commandFd_ = commandFd;
    eventFd_ = eventFd;
    dispatcher_.reopen();
    if (ml_watch_fd(eventFd, POLLIN, ML_WATCH_IN_WAITS, readableCallback, this, &watchId_) !=
        ML_OK) {
        std::fprintf(stderr, "cefhx: cannot watch the browser pipe: %s\n", ml_last_error());
        dispatcher_.close();
    }
}

void CdpConnection::close() {
    if (watchId_) ml_unwatch_fd(watchId_);
    watchId_ = 0;
    commandFd_ = eventFd_ = -1;
    dispatcher_.close();
}

bool CdpConnection::send(std::string_view method, const Json::Value& params,
                         std::string_view sessionId, Reply reply) {
    if (!isOpen()) return false;
    std::string text = dispatcher_.command(method, params, sessionId, std::move(reply));
    text.push_back('\0');
    if (!writeAll(commandFd_, text)) {
        dispatcher_.withdraw(dispatcher_.lastId());
        return false;
    }
    return true;
}

void CdpConnection::onReadable() {
    if (!dispatcher_.isOpen()) return;
    std::string bytes;
    char chunk[65536];
    for (;;) {
        ssize_t n = read(eventFd_, chunk, sizeof chunk);
        if (n > 0) {
            bytes.append(chunk, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        hangUp();  // end of file or a read error: Chromium is gone
        return;
    }
    dispatcher_.receive(bytes);
}

void CdpConnection::hangUp() {
    if (watchId_) ml_unwatch_fd(watchId_);
    watchId_ = 0;
    dispatcher_.hangUp();
}

}  // namespace cefhx
