#include "platform/msgloop/transport.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/msgloop/clock.h"
#include "platform/msgloop/error.h"
#include "platform/msgloop/msgloop.h"
#include "platform/msgloop/wire.h"

namespace msgloop {

namespace {

constexpr size_t kBufferSize = sizeof(FrameHeader) + ML_COPYDATA_MAX;
constexpr int kReplyWaitMs = 1000;

bool make_address(const std::string& path, sockaddr_un* addr) {
    std::memset(addr, 0, sizeof *addr);
    addr->sun_family = AF_UNIX;
    if (path.size() >= sizeof addr->sun_path) return false;
    std::memcpy(addr->sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool same_user(int fd) {
    ucred cred{};
    socklen_t len = sizeof cred;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 && cred.uid == geteuid();
}

int remaining_ms(uint64_t deadline_ms) {
    uint64_t now = Clock::instance().now_ms();
    if (now >= deadline_ms) return 0;
    return static_cast<int>(std::min<uint64_t>(deadline_ms - now, 1u << 30));
}

// Waits until fd is writable or the deadline passes.
bool wait_writable(int fd, int timeout_ms) {
    pollfd p{fd, POLLOUT, 0};
    int r;
    while ((r = poll(&p, 1, timeout_ms)) < 0 && errno == EINTR) {
    }
    return r > 0 && (p.revents & POLLOUT);
}

int known_status(int32_t status) {
    switch (status) {
        case ML_OK:
        case ML_ERR_NO_WINDOW:
        case ML_ERR_DEPTH:
        case ML_ERR_PROTOCOL:
        case ML_ERR_TOO_LARGE:
            return status;
        default:
            return ML_ERR_PROTOCOL;
    }
}

}  // namespace

Connection::~Connection() {
    if (fd >= 0) close(fd);
}

Transport::Transport(Registry& registry, CopyDataTarget& target)
    : registry_(registry), target_(target) {}

Transport::~Transport() {
    for (auto& [id, call] : pending_) {
        call->done = true;
        call->status = ML_ERR_HANGUP;
    }
    if (listener_ >= 0) {
        close(listener_);
        unlink(listener_path_.c_str());
    }
}

int Transport::open() {
    listener_path_ = registry_.listener_path(registry_.self());
    sockaddr_un addr{};
    if (!make_address(listener_path_, &addr)) {
        return fail(ML_ERR_SYSTEM, "the listener path %s is too long", listener_path_.c_str());
    }
    int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return fail(ML_ERR_SYSTEM, "creating the listener socket failed: %s", std::strerror(errno));
    }
    auto bind_listener = [&] { return bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr); };
    int r = bind_listener();
    if (r != 0 && errno == EADDRINUSE) {
        // Either a loop of this very process listens there, or a dead one left the file.
        int probe = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
        bool live =
            probe >= 0 && connect(probe, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        if (probe >= 0) close(probe);
        if (live) {
            close(fd);
            listener_path_.clear();
            return fail(ML_ERR_DUPLICATE,
                        "a second copy of the message loop in process %d: %s is already served",
                        static_cast<int>(getpid()), addr.sun_path);
        }
        unlink(listener_path_.c_str());
        r = bind_listener();
    }
    if (r != 0) {
        int saved = errno;
        close(fd);
        listener_path_.clear();
        return fail(ML_ERR_SYSTEM, "binding the listener %s failed: %s", addr.sun_path,
                    std::strerror(saved));
    }
    if (listen(fd, 128) != 0) {
        int saved = errno;
        close(fd);
        return fail(ML_ERR_SYSTEM, "listening on %s failed: %s", listener_path_.c_str(),
                    std::strerror(saved));
    }
    listener_ = fd;
    return ML_OK;
}

void Transport::add_sources(PollList& list) const {
    list.add(listener_, POLLIN, Source::kListener, 0);
    for (const auto& [id, conn] : inbound_) list.add(conn->fd, POLLIN, Source::kInbound, id);
    for (const auto& [id, conn] : outbound_) list.add(conn->fd, POLLIN, Source::kOutbound, id);
}

void Transport::on_ready(Source source, uint64_t id, short revents) {
    bool hung = revents & (POLLHUP | POLLERR | POLLNVAL);
    if (source == Source::kListener) {
        accept_all();
    } else if (source == Source::kInbound) {
        auto it = inbound_.find(id);
        if (it == inbound_.end()) return;
        std::shared_ptr<Connection> conn = it->second;
        read_call(conn, hung);
    } else if (source == Source::kOutbound) {
        auto it = outbound_.find(id);
        if (it == outbound_.end()) return;
        std::shared_ptr<Connection> conn = it->second;
        read_replies(conn, hung);
    }
}

void Transport::accept_all() {
    for (;;) {
        int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) return;
        if (!same_user(fd)) {
            close(fd);
            continue;
        }
        auto conn = std::make_shared<Connection>();
        conn->fd = fd;
        conn->id = ++next_conn_id_;
        inbound_[conn->id] = conn;
    }
}

char* Transport::buffer(int depth) {
    while (static_cast<int>(buffers_.size()) <= depth) {
        buffers_.push_back(std::make_unique<char[]>(kBufferSize));
    }
    return buffers_[static_cast<size_t>(depth)].get();
}

void Transport::read_call(const std::shared_ptr<Connection>& conn, bool hung) {
    if (conn->dead) return;
    char* buf = buffer(depth_);
    ssize_t n = recv(conn->fd, buf, kBufferSize, MSG_DONTWAIT | MSG_TRUNC);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n <= 0 || hung) {
        // End of the connection, or a call from a sender that has gone: nobody waits for it.
        if (n <= 0) {
            conn->dead = true;
            inbound_.erase(conn->id);
        }
        return;
    }
    FrameHeader h{};
    switch (check_frame(buf, static_cast<size_t>(n), ML_COPYDATA_MAX, &h)) {
        case FrameCheck::kUnreadable:
            return;
        case FrameCheck::kBadVersion:
        case FrameCheck::kMalformed:
            if (h.kind == kFrameCall) reply(*conn, h.call_id, ML_ERR_PROTOCOL, 0);
            return;
        case FrameCheck::kTooLarge:
            if (h.kind == kFrameCall) reply(*conn, h.call_id, ML_ERR_TOO_LARGE, 0);
            return;
        case FrameCheck::kGood:
            break;
    }
    if (h.kind != kFrameCall) return;
    if (depth_ >= kMaxDepth) {
        reply(*conn, h.call_id, ML_ERR_DEPTH, 0);
        return;
    }
    ++depth_;
    intptr_t result = 0;
    int status = target_.deliver_copydata(h.target, static_cast<uint32_t>(h.wparam), h.data,
                                          buf + sizeof(FrameHeader), h.size, &result);
    --depth_;
    reply(*conn, h.call_id, status, result);
}

void Transport::reply(Connection& conn, uint64_t call_id, int status, int64_t result) {
    if (conn.dead) return;
    FrameHeader h = make_header(kFrameReply, call_id);
    h.status = status;
    h.result = result;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (send(conn.fd, &h, sizeof h, MSG_DONTWAIT | MSG_NOSIGNAL) == sizeof h) return;
        if (errno != EAGAIN || !wait_writable(conn.fd, kReplyWaitMs)) return;
    }
}

void Transport::read_replies(const std::shared_ptr<Connection>& conn, bool hung) {
    if (conn->dead) return;
    // One reply per readiness; after a hang-up every reply still queued is read first.
    for (bool more = true; more; more = hung) {
        FrameHeader h{};
        char buf[sizeof(FrameHeader) + 8];
        ssize_t n = recv(conn->fd, buf, sizeof buf, MSG_DONTWAIT | MSG_TRUNC);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) break;
        if (n <= 0) {
            hung = true;
            break;
        }
        if (check_frame(buf, static_cast<size_t>(std::min<ssize_t>(n, sizeof buf)), 0, &h) !=
                FrameCheck::kGood ||
            static_cast<size_t>(n) != sizeof(FrameHeader) || h.kind != kFrameReply) {
            continue;
        }
        auto it = pending_.find(h.call_id);
        // A reply for a call that gave up waiting is late and dropped.
        if (it == pending_.end() || it->second->conn != conn || it->second->done) continue;
        it->second->done = true;
        it->second->status = known_status(h.status);
        it->second->result = h.result;
    }
    if (hung) drop_outbound(conn);
}

bool Transport::connected_to(const Owner& owner) const {
    for (const auto& [id, conn] : outbound_) {
        if (conn->peer == owner && !conn->dead) return true;
    }
    return false;
}

void Transport::drop_outbound(const std::shared_ptr<Connection>& conn) {
    conn->dead = true;
    outbound_.erase(conn->id);
    for (auto& [id, call] : pending_) {
        if (call->conn == conn && !call->done) {
            call->done = true;
            call->status = ML_ERR_HANGUP;
        }
    }
}

int Transport::connection_to(const Owner& owner, uint64_t deadline_ms,
                             std::shared_ptr<Connection>* out) {
    for (auto& [id, conn] : outbound_) {
        if (conn->peer == owner && !conn->dead) {
            *out = conn;
            return ML_OK;
        }
    }
    sockaddr_un addr{};
    std::string path = registry_.listener_path(owner);
    if (!make_address(path, &addr)) {
        return fail(ML_ERR_SYSTEM, "the listener path %s is too long", path.c_str());
    }
    int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return fail(ML_ERR_SYSTEM, "creating a socket for %s failed: %s", path.c_str(),
                    std::strerror(errno));
    }
    int ms = std::max(remaining_ms(deadline_ms), 1);
    timeval tv{ms / 1000, (ms % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    int r;
    while ((r = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr)) != 0 &&
           errno == EINTR) {
    }
    if (r != 0) {
        int saved = errno;
        close(fd);
        if (saved == EAGAIN || saved == EINPROGRESS) {
            return fail(ML_ERR_TIMEOUT, "connecting to %s timed out", path.c_str());
        }
        return fail(ML_ERR_NO_WINDOW, "process %s does not listen at %s: %s", owner.text().c_str(),
                    path.c_str(), std::strerror(saved));
    }
    if (!same_user(fd)) {
        close(fd);
        return fail(ML_ERR_NO_WINDOW, "the listener %s belongs to another user", path.c_str());
    }
    auto conn = std::make_shared<Connection>();
    conn->fd = fd;
    conn->id = ++next_conn_id_;
    conn->peer = owner;
    outbound_[conn->id] = conn;
    *out = conn;
    return ML_OK;
}

int Transport::begin_call(const Owner& owner, uint32_t to, uint32_t from, uint64_t data,
                          const void* ptr, uint32_t size, uint64_t deadline_ms, PendingCall* call) {
    std::shared_ptr<Connection> conn;
    int status = connection_to(owner, deadline_ms, &conn);
    if (status != ML_OK) return status;

    FrameHeader h = make_header(kFrameCall, ++next_call_id_);
    h.target = to;
    h.wparam = from;
    h.data = data;
    h.size = size;
    iovec iov[2] = {{&h, sizeof h}, {const_cast<void*>(ptr), size}};
    msghdr msg{};
    msg.msg_iov = iov;
    msg.msg_iovlen = size > 0 ? 2 : 1;
    for (;;) {
        if (sendmsg(conn->fd, &msg, MSG_DONTWAIT | MSG_NOSIGNAL) >= 0) break;
        if (errno == EINTR) continue;
        if (errno == EAGAIN) {
            int ms = remaining_ms(deadline_ms);
            if (ms > 0 && wait_writable(conn->fd, ms)) continue;
            return fail(ML_ERR_TIMEOUT, "sending copy-data to window %u timed out", to);
        }
        int saved = errno;
        drop_outbound(conn);
        if (!owner.alive()) {
            return fail(ML_ERR_NO_WINDOW, "the owner %s of window %u has ended",
                        owner.text().c_str(), to);
        }
        return fail(ML_ERR_HANGUP, "sending copy-data to window %u failed: %s", to,
                    std::strerror(saved));
    }
    call->id = h.call_id;
    call->conn = conn;
    call->done = false;
    pending_[call->id] = call;
    return ML_OK;
}

void Transport::end_call(PendingCall* call) {
    pending_.erase(call->id);
    call->conn.reset();
}

}  // namespace msgloop
