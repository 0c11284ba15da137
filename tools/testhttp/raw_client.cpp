#include "tools/testhttp/raw_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <stdexcept>

#include "tools/testhttp/receive.h"

namespace testhttp {

RawClient::RawClient(uint16_t port, std::chrono::milliseconds timeout) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
    timeval tv{};
    tv.tv_sec = timeout.count() / 1000;
    tv.tv_usec = (timeout.count() % 1000) * 1000;
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        int err = errno;
        ::close(fd_);
        throw std::runtime_error("cannot connect to 127.0.0.1:" + std::to_string(port) + ": " +
                                 std::strerror(err));
    }
}

RawClient::~RawClient() {
    ::close(fd_);
}

void RawClient::send(std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw std::runtime_error(std::string("send: ") + std::strerror(errno));
        bytes.remove_prefix(static_cast<size_t>(n));
    }
}

void RawClient::sendGet(std::string_view target, std::string_view extraHeaders,
                        std::string_view method) {
    send(std::string(method) + " " + std::string(target) + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" +
         std::string(extraHeaders) + "\r\n");
}

bool RawClient::fill() {
    switch (receiveSome(fd_, buffer_)) {
        case Received::Bytes:
            return true;
        case Received::Closed:
            return false;
        case Received::WouldBlock:
            throw std::runtime_error("no answer from the server in time");
        case Received::Failed:
            break;
    }
    if (errno == ECONNRESET) return false;
    throw std::runtime_error(std::string("recv: ") + std::strerror(errno));
}

RawResponse RawClient::readResponse(bool headOnly) {
    RawResponse r;
    size_t end;
    while ((end = buffer_.find("\r\n\r\n")) == std::string::npos) {
        if (!fill()) {
            r.closed = true;
            r.head = buffer_;
            buffer_.clear();
            return r;
        }
    }
    r.head = buffer_.substr(0, end);
    buffer_.erase(0, end + 4);

    std::string_view rest = r.head;
    size_t nl = rest.find("\r\n");
    std::string_view statusLine = rest.substr(0, nl);
    rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 2);
    size_t sp = statusLine.find(' ');
    if (sp != std::string_view::npos)
        std::from_chars(statusLine.data() + sp + 1, statusLine.data() + statusLine.size(),
                        r.status);
    while (!rest.empty()) {
        nl = rest.find("\r\n");
        std::string_view line = rest.substr(0, nl);
        rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 2);
        size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        std::string_view value = line.substr(colon + 1);
        while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
        r.headers.add(std::string(line.substr(0, colon)), std::string(value));
    }

    if (headOnly) {
        r.complete = true;
        return r;
    }
    auto length = r.headers.get("Content-Length");
    if (!length) {
        while (fill()) {
        }
        r.body = std::move(buffer_);
        buffer_.clear();
        r.closed = true;
        r.complete = true;
        return r;
    }
    uint64_t want = 0;
    std::from_chars(length->data(), length->data() + length->size(), want);
    while (buffer_.size() < want) {
        if (!fill()) {
            r.closed = true;
            break;
        }
    }
    size_t take = std::min<size_t>(want, buffer_.size());
    r.body = buffer_.substr(0, take);
    buffer_.erase(0, take);
    r.complete = r.body.size() == want;
    return r;
}

bool RawClient::staysQuiet(std::chrono::milliseconds period) {
    if (!buffer_.empty()) return false;
    pollfd p{fd_, POLLIN, 0};
    int n;
    do {
        n = ::poll(&p, 1, static_cast<int>(period.count()));
    } while (n < 0 && errno == EINTR);
    return n == 0;
}

bool RawClient::closedByServer() {
    try {
        while (fill()) buffer_.clear();
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
}

}  // namespace testhttp
