#include "platform/msgloop/socket_set.h"

#include <sys/socket.h>

#include <cerrno>

namespace msgloop {

namespace {

int socket_error(int fd) {
    int err = 0;
    socklen_t len = sizeof err;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) return errno;
    return err;
}

bool is_connected(int fd) {
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    return getpeername(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0;
}

}  // namespace

void SocketSet::select(int fd, ml_hwnd hwnd, uint32_t msg, uint32_t events) {
    if (events == 0) {
        regs_.erase(fd);
        return;
    }
    bool connected = is_connected(fd);
    regs_[fd] = Reg{++next_id_, hwnd,     msg, events, connected ? State::kConnected : State::kIdle,
                    connected,  connected};
}

int SocketSet::connect(int fd, const void* addr, uint32_t addrlen) {
    int r = ::connect(fd, static_cast<const sockaddr*>(addr), addrlen);
    int saved = errno;
    auto it = regs_.find(fd);
    if (r == 0) {
        if (it != regs_.end()) {
            it->second.state = State::kConnected;
            it->second.read_armed = true;
            it->second.write_armed = true;
            post(it->second, fd, ML_FD_CONNECT, 0);
        }
        return 0;
    }
    if (saved == EINPROGRESS) {
        if (it != regs_.end()) it->second.state = State::kConnecting;
        return 0;
    }
    errno = saved;
    return -1;
}

long SocketSet::send(int fd, const void* data, size_t length) {
    ssize_t r = ::send(fd, data, length, MSG_DONTWAIT | MSG_NOSIGNAL);
    if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        int saved = errno;
        auto it = regs_.find(fd);
        if (it != regs_.end() && it->second.state == State::kConnected) {
            it->second.write_armed = true;
        }
        errno = saved;
    }
    return static_cast<long>(r);
}

void SocketSet::remove_window(ml_hwnd hwnd) {
    for (auto it = regs_.begin(); it != regs_.end();) {
        it = it->second.hwnd == hwnd ? regs_.erase(it) : std::next(it);
    }
}

void SocketSet::add_sources(PollList& list) const {
    for (const auto& [fd, reg] : regs_) {
        short events = 0;
        if (reg.state == State::kConnecting) {
            events = POLLOUT;
        } else if (reg.state == State::kConnected) {
            if (reg.read_armed && (reg.events & (ML_FD_READ | ML_FD_CLOSE))) events |= POLLIN;
            if (reg.write_armed) events |= POLLOUT;
        }
        if (events) list.add(fd, events, Source::kSocket, reg.id);
    }
}

std::map<int, SocketSet::Reg>::iterator SocketSet::find_id(uint64_t id) {
    for (auto it = regs_.begin(); it != regs_.end(); ++it) {
        if (it->second.id == id) return it;
    }
    return regs_.end();
}

void SocketSet::on_ready(uint64_t id, short revents) {
    auto it = find_id(id);
    if (it == regs_.end()) return;
    int fd = it->first;
    Reg& reg = it->second;
    if (revents & POLLNVAL) {
        regs_.erase(it);
        return;
    }
    if (reg.state == State::kConnecting) {
        if (!(revents & (POLLOUT | POLLERR | POLLHUP))) return;
        int err = socket_error(fd);
        reg.state = err == 0 ? State::kConnected : State::kQuiet;
        reg.read_armed = err == 0;
        reg.write_armed = err == 0;
        post(reg, fd, ML_FD_CONNECT, err);
        return;
    }
    if (reg.state != State::kConnected) return;
    if (reg.read_armed && (revents & (POLLIN | POLLERR | POLLHUP))) on_readable(reg, fd);
    if (reg.state == State::kConnected && reg.write_armed && (revents & POLLOUT)) {
        reg.write_armed = false;
        post(reg, fd, ML_FD_WRITE, 0);
    }
}

void SocketSet::on_readable(Reg& reg, int fd) {
    char byte;
    ssize_t n = recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n > 0) {
        reg.read_armed = false;
        post(reg, fd, ML_FD_READ, 0);
        return;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
    // End of file after every byte was read, or a connection error.
    int err = n == 0 ? 0 : errno;
    reg.state = State::kQuiet;
    reg.read_armed = false;
    reg.write_armed = false;
    post(reg, fd, ML_FD_CLOSE, err);
}

void SocketSet::post(const Reg& reg, int fd, uint32_t event, int error) {
    if (!(reg.events & event)) return;
    auto lparam = static_cast<intptr_t>(event | (static_cast<uint32_t>(error & 0xFFFF) << 16));
    queue_.push(Posted{reg.hwnd, reg.msg, static_cast<uintptr_t>(fd), lparam, reg.id});
}

bool SocketSet::current(uint64_t id, int fd) const {
    auto it = regs_.find(fd);
    return it != regs_.end() && it->second.id == id;
}

void SocketSet::rearm_read(uint64_t id) {
    auto it = find_id(id);
    if (it != regs_.end() && it->second.state == SocketSet::State::kConnected) {
        it->second.read_armed = true;
    }
}

}  // namespace msgloop
