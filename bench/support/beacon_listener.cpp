#include "bench/support/beacon_listener.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace bench {

std::optional<std::pair<std::string, double>> parseBeacon(const std::string& head) {
    const std::string get = "GET /";
    if (head.compare(0, get.size(), get) != 0) return std::nullopt;
    const size_t query = head.find('?', get.size());
    const size_t end = head.find(' ', get.size());
    if (query == std::string::npos || end == std::string::npos || query > end) return std::nullopt;
    const std::string name = head.substr(get.size(), query - get.size());
    if (name.empty() || name.size() > 32) return std::nullopt;
    for (char c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') return std::nullopt;
    }
    const std::string number = head.substr(query + 1, end - query - 1);
    char* rest = nullptr;
    const double value = std::strtod(number.c_str(), &rest);
    if (number.empty() || *rest != '\0' || !std::isfinite(value)) return std::nullopt;
    return std::make_pair(name, value);
}

BeaconListener::BeaconListener() {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener_, 16) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        pipe2(stop_, O_CLOEXEC) != 0) {
        if (listener_ >= 0) close(listener_);
        throw std::runtime_error("beacon listener: cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
}

BeaconListener::~BeaconListener() {
    const char stop = 1;
    if (write(stop_[1], &stop, 1) != 1) std::abort();
    thread_.join();
    close(listener_);
    close(stop_[0]);
    close(stop_[1]);
}

void BeaconListener::serve() {
    for (;;) {
        pollfd fds[2] = {{listener_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents != 0) return;
        const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0) answer(client);
    }
}

void BeaconListener::answer(int client) {
    // One short request head per connection; anything longer or slower is not ours.
    std::string head;
    char buffer[1024];
    while (head.find("\r\n") == std::string::npos && head.size() < 4096) {
        pollfd fd{client, POLLIN, 0};
        if (poll(&fd, 1, 2000) <= 0) break;
        const ssize_t n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        head.append(buffer, static_cast<size_t>(n));
    }
    if (auto beacon = parseBeacon(head.substr(0, head.find("\r\n")))) {
        std::lock_guard<std::mutex> lock(mutex_);
        reports_.emplace(beacon->first, beacon->second);
        reported_.notify_all();
    }
    const std::string reply =
        "HTTP/1.1 204 No Content\r\nAccess-Control-Allow-Origin: *\r\nConnection: close\r\n\r\n";
    send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
    close(client);
}

std::optional<double> BeaconListener::take(const std::string& name, int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!reported_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                            [&] { return reports_.count(name) > 0; })) {
        return std::nullopt;
    }
    auto it = reports_.find(name);
    const double value = it->second;
    reports_.erase(it);
    return value;
}

}  // namespace bench
