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
// Frames taken by one read: a reply and the call queued behind it cost one system call.
constexpr unsigned kBatch = 4;
constexpr int kReplyWaitMs = 1000;

bool make_address(const std::string& path, sockaddr_un* addr) {
    std::memset(addr, 0, sizeof *addr);
    addr->sun_family = AF_UNIX;
    if (path.size() >= sizeof addr->sun_path) return false;
    std::memcpy(addr->sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool same_user(int fd, ucred* cred) {
    socklen_t len = sizeof *cred;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, cred, &len) == 0 && cred->uid == geteuid();
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
    for (const auto& [id, conn] : connections_) {
        if (!conn->dead) list.add(conn->fd, POLLIN, Source::kConnection, id);
    }
}

void Transport::on_ready(Source source, uint64_t id, short revents,
                         const std::function<bool()>& stop) {
    if (source == Source::kListener) {
        accept_all();
        return;
    }
    auto it = connections_.find(id);
    if (it == connections_.end()) return;
    std::shared_ptr<Connection> conn = it->second;
    read_frames(conn, revents & (POLLHUP | POLLERR | POLLNVAL));
    handle_backlog(conn, stop);
}

void Transport::drain(const std::function<bool()>& stop) {
    std::vector<std::shared_ptr<Connection>> waiting;
    for (const auto& [id, conn] : connections_) {
        if (!conn->backlog.empty()) waiting.push_back(conn);
    }
    for (const auto& conn : waiting) {
        if (stop()) return;
        handle_backlog(conn, stop);
    }
}

void Transport::accept_all() {
    for (;;) {
        int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) return;
        ucred cred{};
        if (!same_user(fd, &cred)) {
            close(fd);
            continue;
        }
        auto conn = std::make_shared<Connection>();
        conn->fd = fd;
        conn->id = ++next_conn_id_;
        // Calls to the connecting process may go back on its connection.
        char state = 0;
        if (read_process_stat(cred.pid, &conn->peer.start, &state)) {
            conn->peer.pid = cred.pid;
        } else {
            conn->peer = Owner{};
        }
        connections_[conn->id] = conn;
    }
}

void Transport::read_frames(const std::shared_ptr<Connection>& conn, bool hung) {
    if (conn->dead) return;
    if (!scratch_) scratch_ = std::make_unique<char[]>(kBatch * kBufferSize);
    // One batch per readiness; after a hang-up everything still queued is read, then the end.
    bool ended = false;
    while (!ended) {
        iovec iov[kBatch];
        mmsghdr msgs[kBatch];
        std::memset(msgs, 0, sizeof msgs);
        for (unsigned i = 0; i < kBatch; ++i) {
            iov[i] = {scratch_.get() + i * kBufferSize, kBufferSize};
            msgs[i].msg_hdr.msg_iov = &iov[i];
            msgs[i].msg_hdr.msg_iovlen = 1;
        }
        int n = recvmmsg(conn->fd, msgs, kBatch, MSG_DONTWAIT | MSG_TRUNC, nullptr);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ended = errno != EAGAIN || hung;
            if (!ended) return;
        }
        for (int i = 0; i < n && !ended; ++i) {
            size_t length = msgs[i].msg_len;
            // An empty message is the end of the connection.
            ended = length == 0;
            if (ended) break;
            Frame frame;
            frame.length = length;
            const char* bytes = static_cast<const char*>(iov[i].iov_base);
            frame.bytes.assign(bytes, bytes + std::min(length, kBufferSize));
            conn->backlog.push_back(std::move(frame));
            ++backlog_frames_;
        }
        if (!hung) break;
    }
    if (!ended) return;
    conn->dead = true;
    conn->hung = true;
    conn->backlog.push_back(Frame{});
    ++backlog_frames_;
}

void Transport::handle_backlog(const std::shared_ptr<Connection>& conn,
                               const std::function<bool()>& stop) {
    while (!conn->backlog.empty() && !stop()) {
        // Taken out first: what it dispatches may read further frames of this connection.
        Frame frame = std::move(conn->backlog.front());
        conn->backlog.pop_front();
        --backlog_frames_;
        if (frame.length == 0) {
            drop(conn);
            return;
        }
        FrameHeader h{};
        switch (check_frame(frame.bytes.data(), frame.length, ML_COPYDATA_MAX, &h)) {
            case FrameCheck::kUnreadable:
                continue;
            case FrameCheck::kBadVersion:
            case FrameCheck::kMalformed:
                if (h.kind == kFrameCall) reply(*conn, h.call_id, ML_ERR_PROTOCOL, 0);
                continue;
            case FrameCheck::kTooLarge:
                if (h.kind == kFrameCall) reply(*conn, h.call_id, ML_ERR_TOO_LARGE, 0);
                continue;
            case FrameCheck::kGood:
                break;
        }
        if (h.kind == kFrameCall) {
            handle_call(conn, h, frame);
        } else if (h.kind == kFrameReply && h.size == 0) {
            handle_reply(conn, h);
        }
    }
}

void Transport::handle_call(const std::shared_ptr<Connection>& conn, const FrameHeader& h,
                            const Frame& frame) {
    // A call from a sender that has gone: nobody waits for its answer.
    if (conn->hung) return;
    if (depth_ >= kMaxDepth) {
        reply(*conn, h.call_id, ML_ERR_DEPTH, 0);
        return;
    }
    ++depth_;
    intptr_t result = 0;
    int status =
        target_.deliver_copydata(h.target, static_cast<uint32_t>(h.wparam), h.data,
                                 frame.bytes.data() + sizeof(FrameHeader), h.size, &result);
    --depth_;
    reply(*conn, h.call_id, status, result);
}

void Transport::handle_reply(const std::shared_ptr<Connection>& conn, const FrameHeader& h) {
    auto it = pending_.find(h.call_id);
    // A reply for a call that gave up waiting is late and dropped.
    if (it == pending_.end() || it->second->conn != conn || it->second->done) return;
    it->second->done = true;
    it->second->status = known_status(h.status);
    it->second->result = h.result;
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

bool Transport::connected_to(const Owner& owner) const {
    for (const auto& [id, conn] : connections_) {
        if (conn->peer == owner && !conn->dead) return true;
    }
    return false;
}

void Transport::drop(const std::shared_ptr<Connection>& conn) {
    conn->dead = true;
    backlog_frames_ -= conn->backlog.size();
    conn->backlog.clear();
    connections_.erase(conn->id);
    for (auto& [id, call] : pending_) {
        if (call->conn == conn && !call->done) {
            call->done = true;
            call->status = ML_ERR_HANGUP;
        }
    }
}

int Transport::connection_to(const Owner& owner, uint64_t deadline_ms,
                             std::shared_ptr<Connection>* out) {
    for (auto& [id, conn] : connections_) {
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
    ucred cred{};
    if (!same_user(fd, &cred)) {
        close(fd);
        return fail(ML_ERR_NO_WINDOW, "the listener %s belongs to another user", path.c_str());
    }
    auto conn = std::make_shared<Connection>();
    conn->fd = fd;
    conn->id = ++next_conn_id_;
    conn->peer = owner;
    connections_[conn->id] = conn;
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
        // Replies still queued on the connection are read before its end fails their calls.
        read_frames(conn, true);
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
