#include "tools/testhttp/server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "tools/testhttp/connection.h"

namespace testhttp {

Server::Server(uint16_t port) {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listenFd_ < 0)
        throw std::runtime_error(std::string("cannot create a socket: ") + std::strerror(errno));
    int one = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listenFd_, 128) != 0) {
        int err = errno;
        ::close(listenFd_);
        throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(port) + ": " +
                                 std::strerror(err));
    }
    socklen_t len = sizeof addr;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    acceptThread_ = std::thread([this] { acceptLoop(); });
}

Server::~Server() {
    stop();
    ::close(listenFd_);
}

std::string Server::url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

void Server::stop() {
    std::lock_guard lock(stopMutex_);
    stop_.trigger();
    if (acceptThread_.joinable()) acceptThread_.join();
    for (Worker& w : workers_) {
        if (w.thread.joinable()) w.thread.join();
    }
    workers_.clear();
}

void Server::reapFinished() {
    for (auto it = workers_.begin(); it != workers_.end();) {
        if (it->done.load(std::memory_order_acquire)) {
            it->thread.join();
            it = workers_.erase(it);
        } else {
            ++it;
        }
    }
}

void Server::acceptLoop() {
    while (waitForSocket(listenFd_, POLLIN, stop_) == WaitResult::Ready) {
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            // The client gave up before we took it, or descriptors ran out for a moment.
            if (errno == EMFILE || errno == ENFILE)
                sleepUnlessStopped(stop_, std::chrono::milliseconds(50));
            continue;
        }
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        reapFinished();
        Worker& w = workers_.emplace_back();
        int id = ++connections_;
        w.thread = std::thread([this, fd, id, &w] {
            Connection connection(fd, id, ServerParts{store_, faults_, log_, stop_});
            try {
                connection.serve();
            } catch (const std::exception&) {
                // A served file that cannot be read ends its connection, as a real server's
                // failed read would.
            }
            w.done.store(true, std::memory_order_release);
        });
    }
}

}  // namespace testhttp
