#include "platform/cefhx/cdp_connection.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/cefhx/json_fields.h"
#include "platform/cefhx/utf8.h"
#include "platform/msgloop/msgloop.h"

namespace cefhx {
namespace {

// CEFHX_PROTOCOL_LOG=1 writes every message, both ways, with the loop clock to standard error.
bool protocolLog() {
    static const bool on = [] {
        const char* v = std::getenv("CEFHX_PROTOCOL_LOG");
        return v && std::string_view(v) == "1";
    }();
    return on;
}

void logMessage(const char* direction, std::string_view text) {
    if (!protocolLog()) return;
    std::fprintf(stderr, "[%llu] %s %.*s\n", static_cast<unsigned long long>(ml_clock_now_ms()),
                 direction, static_cast<int>(std::min<size_t>(text.size(), 300)), text.data());
}

void readableCallback(int, unsigned, void* arg) {
    static_cast<CdpConnection*>(arg)->onReadable();
}

bool writeAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

std::string toJsonText(const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    builder["emitUTF8"] = true;
    return validUtf8(Json::writeString(builder, value));
}

Json::Value parseJsonText(std::string_view text, bool* ok) {
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value value;
    std::string errors;
    bool good = reader->parse(text.data(), text.data() + text.size(), &value, &errors);
    if (ok) *ok = good;
    return good ? value : Json::Value();
}

void CdpConnection::open(int commandFd, int eventFd, EventHandler onEvent,
                         std::function<void()> onClosed) {
    commandFd_ = commandFd;
    eventFd_ = eventFd;
    closed_ = false;
    onEvent_ = std::move(onEvent);
    onClosed_ = std::move(onClosed);
    if (ml_watch_fd(eventFd, POLLIN, ML_WATCH_IN_WAITS, readableCallback, this, &watchId_) !=
        ML_OK) {
        std::fprintf(stderr, "cefhx: cannot watch the browser pipe: %s\n", ml_last_error());
        closed_ = true;
    }
}

void CdpConnection::close() {
    if (watchId_) ml_unwatch_fd(watchId_);
    watchId_ = 0;
    commandFd_ = eventFd_ = -1;
    closed_ = true;
    pending_.clear();
}

bool CdpConnection::send(std::string_view method, const Json::Value& params,
                         std::string_view sessionId, Reply reply) {
    if (!isOpen()) return false;
    Json::Value message(Json::objectValue);
    int id = ++nextId_;
    message["id"] = id;
    message["method"] = std::string(method);
    message["params"] = params.isNull() ? Json::Value(Json::objectValue) : params;
    if (!sessionId.empty()) message["sessionId"] = std::string(sessionId);
    std::string text = toJsonText(message);
    logMessage("->", text);
    text.push_back('\0');
    if (reply) pending_.emplace(id, std::move(reply));
    if (!writeAll(commandFd_, text)) {
        pending_.erase(id);
        return false;
    }
    return true;
}

Json::Value CdpConnection::call(std::string_view method, const Json::Value& params,
                                std::string_view sessionId, int timeoutMs, std::string* error) {
    struct Answer {
        bool done = false;
        Json::Value result;
        std::string error;
    };
    // Shared: a reply that comes after the deadline still finds it.
    auto answer = std::make_shared<Answer>();
    bool sent = send(method, params, sessionId,
                     [answer](const Json::Value& result, const std::string& err) {
                         answer->done = true;
                         answer->result = result;
                         answer->error = err;
                     });
    if (!sent) {
        if (error) *error = std::string(method) + ": the browser connection is closed";
        return {};
    }
    int status = ml_wait([](void* a) { return static_cast<Answer*>(a)->done ? 1 : 0; },
                         answer.get(), timeoutMs);
    if (!answer->done) {
        if (error) {
            *error = std::string(method) +
                     (status == ML_ERR_TIMEOUT
                          ? ": no answer within " + std::to_string(timeoutMs) + " ms"
                          : ": " + std::string(ml_last_error()));
        }
        return {};
    }
    if (!answer->error.empty() && error) *error = std::string(method) + ": " + answer->error;
    return answer->result;
}

void CdpConnection::onReadable() {
    if (closed_) return;
    char chunk[65536];
    for (;;) {
        ssize_t n = read(eventFd_, chunk, sizeof chunk);
        if (n > 0) {
            buffer_.append(chunk, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        hangUp();  // end of file or a read error: Chromium is gone
        return;
    }
    // Each message leaves the buffer before it is handled, so that handling it may wait for
    // further messages (a nested call) without seeing this one again.
    for (;;) {
        if (closed_) return;
        size_t end = buffer_.find('\0');
        if (end == std::string::npos) break;
        std::string text = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        dispatch(text);
    }
}

void CdpConnection::dispatch(const std::string& text) {
    ++handled_;
    logMessage("<-", text);
    bool ok = false;
    Json::Value message = parseJsonText(text, &ok);
    if (!ok || !message.isObject()) {
        std::fprintf(stderr, "cefhx: the browser sent a message that is not JSON: %.200s\n",
                     text.c_str());
        return;
    }
    // A message of an unexpected shape is dropped; the loop and every other message go on.
    try {
        handle(message);
    } catch (const MalformedMessage& e) {
        std::fprintf(stderr, "cefhx: dropped a malformed message from the browser (%s): %.200s\n",
                     e.what(), text.c_str());
    } catch (const Json::Exception& e) {
        std::fprintf(stderr, "cefhx: dropped a malformed message from the browser (%s): %.200s\n",
                     e.what(), text.c_str());
    }
}

void CdpConnection::handle(const Json::Value& message) {
    if (!anyField(message, "id").isNull()) {
        auto it = pending_.find(intField(message, "id"));
        if (it == pending_.end()) return;
        Reply reply = std::move(it->second);
        pending_.erase(it);
        if (!anyField(message, "error").isNull()) {
            const Json::Value& error = anyField(message, "error");
            const Json::Value& text = anyField(error, "message");
            reply(Json::Value(), text.isString() ? text.asString() : "unknown error");
        } else {
            const Json::Value& result = anyField(message, "result");
            reply(result.isObject() ? result : Json::Value(Json::objectValue), std::string());
        }
        return;
    }
    textField(message, "method");
    if (onEvent_) onEvent_(message);
}

void CdpConnection::hangUp() {
    if (watchId_) ml_unwatch_fd(watchId_);
    watchId_ = 0;
    closed_ = true;
    auto pending = std::move(pending_);
    pending_.clear();
    for (auto& [id, reply] : pending) reply(Json::Value(), "the browser closed the connection");
    if (onClosed_) onClosed_();
}

}  // namespace cefhx
