#include "platform/cefhx/single_instance.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "platform/msgloop/msgloop.h"

namespace cefhx {
namespace {

constexpr std::string_view kAnnouncement = "newapp";

uint64_t fnv1a(std::string_view text) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

socklen_t addressOf(const std::string& name, sockaddr_un* addr) {
    std::memset(addr, 0, sizeof *addr);
    addr->sun_family = AF_UNIX;
    // Abstract namespace: a leading NUL, the name, no terminator.
    std::memcpy(addr->sun_path + 1, name.data(), name.size());
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
}

}  // namespace

SingleInstance::~SingleInstance() {
    release();
}

std::string SingleInstance::socketName(uint32_t uid, std::string_view name) {
    char text[80];
    std::snprintf(text, sizeof text, "morvick-cefhx-%u-%016llx", uid,
                  static_cast<unsigned long long>(fnv1a(name)));
    return text;
}

bool SingleInstance::claim(std::string_view name, std::function<void()> onNewApp) {
    release();
    sockaddr_un addr;
    socklen_t length = addressOf(socketName(getuid(), name), &addr);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        std::fprintf(stderr, "cefhx: single-instance socket for \"%.*s\": %s\n",
                     static_cast<int>(name.size()), name.data(), std::strerror(errno));
        return true;
    }
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), length) == 0 && listen(fd, 8) == 0) {
        listenFd_ = fd;
        onNewApp_ = std::move(onNewApp);
        auto ready = [](int, unsigned, void* self) {
            static_cast<SingleInstance*>(self)->onConnection();
        };
        if (ml_watch_fd(fd, POLLIN, 0, ready, this, &watchId_) != ML_OK) {
            std::fprintf(stderr, "cefhx: cannot watch the single-instance socket: %s\n",
                         ml_last_error());
        }
        return true;
    }
    close(fd);
    // Somebody holds the name: tell that copy, and answer that we are the second.
    int peer = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (peer >= 0) {
        if (connect(peer, reinterpret_cast<sockaddr*>(&addr), length) == 0) {
            ssize_t sent = send(peer, kAnnouncement.data(), kAnnouncement.size(), MSG_NOSIGNAL);
            (void)sent;
        }
        close(peer);
    }
    return false;
}

void SingleInstance::release() {
    if (watchId_) ml_unwatch_fd(watchId_);
    watchId_ = 0;
    if (listenFd_ >= 0) close(listenFd_);
    listenFd_ = -1;
}

void SingleInstance::onConnection() {
    for (;;) {
        int peer = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (peer < 0) return;
        ucred cred{};
        socklen_t len = sizeof cred;
        bool sameUser =
            getsockopt(peer, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 && cred.uid == getuid();
        // The announcement is tiny and sent before the peer closes; wait briefly for it.
        char text[16] = {};
        pollfd p{peer, POLLIN, 0};
        ssize_t n = poll(&p, 1, 1000) > 0 ? recv(peer, text, sizeof text, 0) : 0;
        close(peer);
        if (sameUser && n == static_cast<ssize_t>(kAnnouncement.size()) &&
            std::string_view(text, n) == kAnnouncement && onNewApp_) {
            onNewApp_();
        }
    }
}

}  // namespace cefhx
