#include "platform/cefhx/devtools_dispatcher.h"

#include <algorithm>
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

void DevToolsDispatcher::setHandlers(DevToolsTransport::EventHandler onEvent,
                                     std::function<void()> onClosed) {
    onEvent_ = std::move(onEvent);
    onClosed_ = std::move(onClosed);
}

std::string DevToolsDispatcher::command(std::string_view method, const Json::Value& params,
                                        std::string_view sessionId,
                                        DevToolsTransport::Reply reply) {
    Json::Value message(Json::objectValue);
    int id = ++nextId_;
    message["id"] = id;
    message["method"] = std::string(method);
    message["params"] = params.isNull() ? Json::Value(Json::objectValue) : params;
    if (!sessionId.empty()) message["sessionId"] = std::string(sessionId);
    std::string text = toJsonText(message);
    logMessage("->", text);
    if (reply) pending_.emplace(id, std::move(reply));
    return text;
}

void DevToolsDispatcher::receive(std::string_view bytes) {
    buffer_.append(bytes);
    for (;;) {
        if (!open_) return;
        size_t end = buffer_.find('\0');
        if (end == std::string::npos) break;
        std::string text = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        dispatch(text);
    }
}

void DevToolsDispatcher::dispatch(const std::string& text) {
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

void DevToolsDispatcher::handle(const Json::Value& message) {
    if (!anyField(message, "id").isNull()) {
        auto it = pending_.find(intField(message, "id"));
        if (it == pending_.end()) return;
        DevToolsTransport::Reply reply = std::move(it->second);
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

void DevToolsDispatcher::close() {
    open_ = false;
    pending_.clear();
}

void DevToolsDispatcher::hangUp() {
    open_ = false;
    auto pending = std::move(pending_);
    pending_.clear();
    for (auto& [id, reply] : pending) reply(Json::Value(), "the browser closed the connection");
    if (onClosed_) onClosed_();
}

}  // namespace cefhx
