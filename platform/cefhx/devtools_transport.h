// What the host needs of a DevTools connection: numbered commands with replies, events, and a
// wait for one command's answer. CdpConnection is the one over Chromium's pipe; tests use a
// recording fake (fake_devtools.h) that answers from recorded messages.
#pragma once

#include <json/json.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/shared/expected.h"

namespace cefhx {

class DevToolsTransport {
public:
    // A reply: the "result" object, or the error text when the command failed (the result is
    // then null).
    using Reply = std::function<void(const Json::Value& result, const std::string& error)>;
    // An event: the whole message ("method", "params", "sessionId").
    using EventHandler = std::function<void(const Json::Value& message)>;

    virtual ~DevToolsTransport() = default;

    // Where events go, and what runs once when the browser's end closes.
    virtual void setHandlers(EventHandler onEvent, std::function<void()> onClosed) = 0;
    virtual bool isOpen() const = 0;
    // Stops taking messages; pending replies are dropped.
    virtual void close() = 0;
    // Sends a command; the reply, if given, runs on the loop thread when the answer arrives.
    // Returns false when the connection is closed or the write failed.
    virtual bool send(std::string_view method, const Json::Value& params,
                      std::string_view sessionId, Reply reply = {}) = 0;
    // Messages handled so far; used to wait for quiet in tests and benchmarks.
    virtual uint64_t messagesHandled() const = 0;

    // Sends a command and waits for its answer up to timeoutMs, while every other message is
    // handled as it arrives (page calls, paused requests, dialogs, new targets). Answers the
    // result, or what failed: the browser's error, no answer in time, a closed connection.
    morvick::Expected<Json::Value> call(std::string_view method, const Json::Value& params,
                                        std::string_view sessionId, int timeoutMs);

    struct Command {
        std::string method;
        Json::Value params;
        std::string sessionId;
    };
    // Sends every command at once (the browser takes them in order) and waits up to timeoutMs
    // for all their answers: one round trip instead of one per command. Answers the results in
    // command order, or what failed first in that order, as call() does.
    morvick::Expected<std::vector<Json::Value>> callAll(const std::vector<Command>& commands,
                                                        int timeoutMs);
};

}  // namespace cefhx
