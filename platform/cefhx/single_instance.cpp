#include "platform/cefhx/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
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

bool addressOf(const std::string& path, sockaddr_un* addr) {
    std::memset(addr, 0, sizeof *addr);
    addr->sun_family = AF_UNIX;
    if (path.size() >= sizeof addr->sun_path) return false;
    std::memcpy(addr->sun_path, path.c_str(), path.size() + 1);
    return true;
}

void trace(std::string_view name, const std::string& what) {
    std::fprintf(stderr, "cefhx: single instance \"%.*s\": %s\n", static_cast<int>(name.size()),
                 name.data(), what.c_str());
}

enum class Told { Yes, NotReached, Stranger };

// What came of an announcement, and why it was not told when it was not.
struct Announcement {
    Told told = Told::NotReached;
    std::string why;
};

// Tells the copy listening at `addr` that another one started, once it is known to run as this
// user.
Announcement announce(const sockaddr_un& addr) {
    const int peer = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (peer < 0) return {Told::NotReached, std::string("socket: ") + std::strerror(errno)};
    Announcement out;
    if (connect(peer, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        out.why = std::string("connecting to the running copy: ") + std::strerror(errno);
    } else {
        ucred cred{};
        socklen_t len = sizeof cred;
        if (getsockopt(peer, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || cred.uid != getuid()) {
            out = {Told::Stranger,
                   "the socket's holder is not this user (uid " + std::to_string(cred.uid) + ")"};
        } else if (send(peer, kAnnouncement.data(), kAnnouncement.size(), MSG_NOSIGNAL) ==
                   static_cast<ssize_t>(kAnnouncement.size())) {
            out.told = Told::Yes;
        } else {
            out.why = std::string("sending the announcement: ") + std::strerror(errno);
        }
    }
    close(peer);
    return out;
}

}  // namespace

SingleInstance::~SingleInstance() {
    release();
}

morvick::Expected<std::string> SingleInstance::privateFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string dir = runtime && runtime[0] == '/'
                                ? std::string(runtime) + "/morvick"
                                : "/tmp/morvick-" + std::to_string(getuid());
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        return morvick::fail("creating " + dir + ": " + std::strerror(errno));
    }
    struct stat st {};
    if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid() ||
        (st.st_mode & 0777) != 0700) {
        return morvick::fail(dir + " is not a directory of user " + std::to_string(getuid()) +
                             " with mode 0700");
    }
    return dir;
}

std::string SingleInstance::socketName(std::string_view name) {
    char text[48];
    std::snprintf(text, sizeof text, "instance-%016llx",
                  static_cast<unsigned long long>(fnv1a(name)));
    return text;
}

bool SingleInstance::claim(std::string_view name, std::function<void()> onNewApp) {
    release();
    const morvick::Expected<std::string> folder = privateFolder();
    if (!folder) {
        trace(name, folder.error() + "; running without the single-instance check");
        return true;
    }
    const std::string base = *folder + "/" + socketName(name);
    sockaddr_un addr;
    if (!addressOf(base, &addr)) {
        trace(name, "the socket path " + base + " is too long; running without the check");
        return true;
    }
    const std::string lockPath = base + ".lock";
    lockFd_ = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lockFd_ < 0) {
        trace(name, "opening " + lockPath + ": " + std::strerror(errno));
        return true;
    }
    if (flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        close(lockFd_);
        lockFd_ = -1;
        if (errno != EWOULDBLOCK) {
            trace(name, "locking " + lockPath + ": " + std::strerror(errno));
            return true;
        }
        // A copy holds the lock in this user's private folder. Its socket is checked before
        // deferring: a holder of another user is not deferred to.
        const Announcement announced = announce(addr);
        switch (announced.told) {
            case Told::Yes:
                return false;
            case Told::NotReached:
                trace(name, announced.why + "; the running copy was not told");
                return false;
            case Told::Stranger:
                trace(name, announced.why + "; running as the first copy");
                return true;
        }
        return true;
    }
    // The lock is ours: a socket file left over from a copy that ended is stale.
    unlink(base.c_str());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(fd, SOMAXCONN) != 0) {
        trace(name, "listening on " + base + ": " + std::strerror(errno));
        if (fd >= 0) close(fd);
        return true;
    }
    listenFd_ = fd;
    socketPath_ = base;
    onNewApp_ = std::move(onNewApp);
    auto ready = [](int, unsigned, void* self) {
        static_cast<SingleInstance*>(self)->onConnection();
    };
    if (ml_watch_fd(fd, POLLIN, 0, ready, this, &watchId_) != ML_OK) {
        trace(name, std::string("cannot watch the socket: ") + ml_last_error());
    }
    return true;
}

void SingleInstance::release() {
    while (!peers_.empty()) dropPeer(peers_.begin());
    if (watchId_) ml_unwatch_fd(watchId_);
    watchId_ = 0;
    if (listenFd_ >= 0) {
        close(listenFd_);
        unlink(socketPath_.c_str());
    }
    listenFd_ = -1;
    socketPath_.clear();
    if (lockFd_ >= 0) close(lockFd_);
    lockFd_ = -1;
}

void SingleInstance::onConnection() {
    for (;;) {
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) return;
        ucred cred{};
        socklen_t len = sizeof cred;
        if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || cred.uid != getuid()) {
            close(fd);
            continue;
        }
        if (peers_.size() >= kMaxPending) dropPeer(peers_.begin());
        Peer& peer = peers_.emplace_back();
        peer.self = this;
        peer.fd = fd;
        auto readable = [](int, unsigned, void* arg) {
            Peer* p = static_cast<Peer*>(arg);
            p->self->onPeerReadable(*p);
        };
        if (ml_watch_fd(fd, POLLIN, 0, readable, &peer, &peer.watchId) != ML_OK) {
            dropPeer(std::prev(peers_.end()));
        }
    }
}

void SingleInstance::onPeerReadable(Peer& peer) {
    auto it = peers_.begin();
    while (it != peers_.end() && &*it != &peer) ++it;
    if (it == peers_.end()) return;
    char text[16];
    for (;;) {
        const ssize_t n = recv(peer.fd, text, sizeof text, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
        if (n > 0) {
            peer.received.append(text, static_cast<size_t>(n));
            if (peer.received.size() <= kAnnouncement.size()) continue;
        }
        // The peer closed, failed or sent more than an announcement: judge what came.
        const bool announced = peer.received == kAnnouncement;
        dropPeer(it);
        if (announced && onNewApp_) onNewApp_();
        return;
    }
}

void SingleInstance::dropPeer(std::list<Peer>::iterator it) {
    if (it->watchId) ml_unwatch_fd(it->watchId);
    close(it->fd);
    peers_.erase(it);
}

}  // namespace cefhx
