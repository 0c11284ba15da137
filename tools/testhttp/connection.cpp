#include "tools/testhttp/connection.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>

#include "tools/testhttp/receive.h"

namespace testhttp {

namespace {

constexpr size_t kMaxHead = 64 * 1024;
constexpr uint64_t kPiece = 64 * 1024;
constexpr auto kSlowTick = std::chrono::milliseconds(100);

// Reads what is there into `out`; false when the peer closed, failed, or the server stopped.
bool readSome(int fd, std::string& out, const StopSignal& stop) {
    for (;;) {
        const Received received = receiveSome(fd, out);
        if (received != Received::WouldBlock) return received == Received::Bytes;
        if (waitForSocket(fd, POLLIN, stop) != WaitResult::Ready) return false;
    }
}

}  // namespace

Connection::Connection(int fd, int id, ServerParts parts) : fd_(fd), id_(id), parts_(parts) {}

Connection::~Connection() {
    ::close(fd_);
}

Connection::Read Connection::readHead(std::string& head) {
    for (;;) {
        size_t end = buffer_.find("\r\n\r\n");
        size_t skip = 4;
        size_t lf = buffer_.find("\n\n");
        if (lf != std::string::npos && (end == std::string::npos || lf < end)) {
            end = lf;
            skip = 2;
        }
        if (end != std::string::npos && end <= kMaxHead) {
            head = buffer_.substr(0, end);
            buffer_.erase(0, end + skip);
            // Blank lines before a request line are tolerated.
            size_t start = head.find_first_not_of("\r\n");
            head.erase(0, start == std::string::npos ? head.size() : start);
            if (!head.empty()) return Read::Complete;
            continue;
        }
        if (buffer_.size() > kMaxHead) return Read::TooLarge;
        if (!readSome(fd_, buffer_, parts_.stop)) return Read::Closed;
    }
}

bool Connection::discardBody(uint64_t length) {
    while (buffer_.size() < length) {
        length -= buffer_.size();
        buffer_.clear();
        if (!readSome(fd_, buffer_, parts_.stop)) return false;
    }
    buffer_.erase(0, length);
    return true;
}

void Connection::waitForPeerToClose() {
    std::string sink;
    while (readSome(fd_, sink, parts_.stop)) sink.clear();
}

bool Connection::sendBody(const ResponsePlan& plan) {
    uint64_t total = plan.bodyLength();
    uint64_t limit = total;
    const Fault* fault = plan.fault ? &*plan.fault : nullptr;
    if (fault && fault->kind == FaultKind::DropAfter) limit = std::min(total, fault->bytes);
    uint64_t piece = kPiece;
    if (fault && fault->kind == FaultKind::SlowBody)
        piece = std::max<uint64_t>(1, fault->bytes * kSlowTick.count() / 1000);
    bool paused = false;
    auto next = std::chrono::steady_clock::now();

    uint64_t sent = 0;
    while (sent < limit) {
        uint64_t n = std::min(piece, limit - sent);
        if (fault && fault->kind == FaultKind::PauseMidBody && !paused)
            n = std::min(n, fault->bytes - std::min(fault->bytes, sent));
        if (n > 0) {
            std::string bytes = plan.resource ? plan.resource->read(plan.span.offset + sent, n)
                                              : plan.body.substr(sent, n);
            if (bytes.empty()) return false;  // the file shrank under us
            if (!sendAll(fd_, bytes, parts_.stop)) return false;
            sent += bytes.size();
        }
        if (fault && fault->kind == FaultKind::PauseMidBody && !paused && sent >= fault->bytes) {
            paused = true;
            if (!sleepUnlessStopped(parts_.stop, fault->pause)) return false;
        }
        if (fault && fault->kind == FaultKind::SlowBody && sent < limit) {
            next += kSlowTick;
            auto wait = std::chrono::ceil<std::chrono::milliseconds>(
                next - std::chrono::steady_clock::now());
            if (!sleepUnlessStopped(parts_.stop, wait)) return false;
        }
    }
    return sent == total;
}

bool Connection::answer(const ResponsePlan& plan) {
    if (plan.status == 0) {
        waitForPeerToClose();
        return false;
    }
    if (plan.fault && plan.fault->kind == FaultKind::PauseBeforeHeaders &&
        !sleepUnlessStopped(parts_.stop, plan.fault->pause))
        return false;
    if (plan.fault && plan.fault->kind == FaultKind::SplitHeader) {
        for (size_t at = 0; at < plan.head.size(); at += plan.fault->bytes) {
            if (at > 0 && !sleepUnlessStopped(parts_.stop, plan.fault->pause)) return false;
            if (!sendAll(fd_, std::string_view(plan.head).substr(at, plan.fault->bytes),
                         parts_.stop))
                return false;
        }
    } else if (!sendAll(fd_, plan.head, parts_.stop)) {
        return false;
    }
    if (plan.sendBody && !sendBody(plan)) return false;
    return !plan.closeAfter;
}

void Connection::serve() {
    for (;;) {
        std::string head;
        Read read = readHead(head);
        if (read == Read::Closed) return;
        if (read == Read::TooLarge) {
            ResponsePlan plan = planError(431, false);
            sendAll(fd_, plan.head + plan.body, parts_.stop);
            return;
        }

        Request req;
        try {
            req = parseRequestHead(head);
        } catch (const BadRequest& e) {
            ResponsePlan plan = planError(e.status(), false);
            sendAll(fd_, plan.head + plan.body, parts_.stop);
            return;
        }
        if (req.headers.has("Transfer-Encoding")) {
            ResponsePlan plan = planError(501, req.method == "HEAD");
            answer(plan);
            return;
        }
        uint64_t bodyLength = 0;
        if (auto cl = req.headers.get("Content-Length")) {
            auto [end, ec] = std::from_chars(cl->data(), cl->data() + cl->size(), bodyLength);
            if (ec != std::errc() || end != cl->data() + cl->size()) {
                answer(planError(400, req.method == "HEAD"));
                return;
            }
        }
        if (!discardBody(bodyLength)) return;

        ResponsePlan plan;
        parts_.log.record(std::move(req), id_,
                          [&](const Request& r, int number) -> RequestLog::Outcome {
                              std::optional<Fault> fault = parts_.faults.match(r, number);
                              plan = planResponse(r, fault, parts_.store);
                              return {plan.status, plan.fault ? plan.fault->describe() : ""};
                          });
        if (!answer(plan)) return;
    }
}

}  // namespace testhttp
