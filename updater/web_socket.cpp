#include "updater/web_socket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "updater/messages.h"

namespace haldor {
namespace {

constexpr uint32_t kSocketEvents = ML_FD_READ | ML_FD_WRITE | ML_FD_CONNECT | ML_FD_CLOSE;

in_addr Resolve(const std::string& host) {
    in_addr address{};
    if (::inet_pton(AF_INET, host.c_str(), &address) == 1) return address;
    address.s_addr = INADDR_BROADCAST;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) == 0 && found) {
        address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
        ::freeaddrinfo(found);
    }
    return address;
}

}  // namespace

CWEBSocket::CWEBSocket(IWEBSocketSink* sink) : sink_(sink), splitter_(sink) {}

CWEBSocket::~CWEBSocket() {
    Close(0);
    if (window_) ml_destroy_window(window_);
}

intptr_t CWEBSocket::Procedure(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam,
                               void* user) {
    if (msg == WM_SOCKET_EVENT) {
        static_cast<CWEBSocket*>(user)->OnSocketEvent(wparam, lparam);
        return 0;
    }
    return ml_default_proc(hwnd, msg, wparam, lparam);
}

bool CWEBSocket::Connect(const std::string& host, unsigned short port) {
    Close(0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr = Resolve(host);
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return false;
    if ((!window_ && ml_create_window(&CWEBSocket::Procedure, this, &window_) != ML_OK) ||
        ml_socket_select(fd_, window_, WM_SOCKET_EVENT, kSocketEvents) != ML_OK ||
        ml_socket_connect(fd_, &address, sizeof address) != 0) {
        Close(0);
        return false;
    }
    return true;
}

bool CWEBSocket::Send(const char* bytes, std::size_t length) {
    if (!connected_ || length == 0) return false;
    splitter_.NextResponse();
    ++requests_;
    if (!queue_.empty()) {
        queue_.append(bytes, length);
        return true;
    }
    long sent = ml_socket_send(fd_, bytes, length);
    if (sent < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            Close(kReasonError);
            return false;
        }
        sent = 0;
    }
    queue_.append(bytes + sent, length - static_cast<std::size_t>(sent));
    return true;
}

void CWEBSocket::SendQueue() {
    while (!queue_.empty() && fd_ >= 0) {
        std::size_t piece = std::min<std::size_t>(queue_.size(), 4096);
        long sent = ml_socket_send(fd_, queue_.data(), piece);
        if (sent < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK) Close(kReasonError);
            return;
        }
        queue_.erase(0, static_cast<std::size_t>(sent));
    }
}

void CWEBSocket::Close(int reason) {
    queue_.clear();
    splitter_.Reset();
    connected_ = false;
    if (fd_ >= 0) {
        ml_socket_select(fd_, window_, 0, 0);
        ::close(fd_);
        fd_ = -1;
    }
    if (reason != 0) sink_->OnClose(reason);
}

void CWEBSocket::OnSocketEvent(uintptr_t fd, intptr_t lparam) {
    if (fd_ < 0 || fd != static_cast<uintptr_t>(fd_)) return;
    int error = ML_SOCKET_ERROR(lparam);
    switch (ML_SOCKET_EVENT(lparam)) {
        case ML_FD_READ:
            OnReceive();
            break;
        case ML_FD_WRITE:
            SendQueue();
            break;
        case ML_FD_CONNECT:
            if (error)
                Close(0);
            else
                connected_ = true;
            sink_->OnConnect(error);
            break;
        case ML_FD_CLOSE:
            // The peer ended the connection: every byte it sent has been read, so a response
            // still waiting for its bytes will never get them.
            Close(kReasonError);
            break;
        default:
            break;
    }
}

void CWEBSocket::OnReceive() {
    char buffer[kReadSize];
    ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) Close(kReasonError);
        return;
    }
    // A head that does not fit its buffer cannot be read.
    if (n > 0 && !splitter_.Feed(buffer, static_cast<std::size_t>(n))) Close(kReasonError);
}

}  // namespace haldor
