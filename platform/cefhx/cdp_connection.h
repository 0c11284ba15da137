// One DevTools protocol connection over the pipe: NUL-terminated JSON messages, commands with
// numbered replies, events, and sessions of attached targets named by "sessionId".
#pragma once

#include <json/json.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace cefhx {

class CdpConnection {
public:
    // A reply: the "result" object, or the error text when the command failed (the result is
    // then null).
    using Reply = std::function<void(const Json::Value& result, const std::string& error)>;
    // An event: the whole message ("method", "params", "sessionId").
    using EventHandler = std::function<void(const Json::Value& message)>;

    CdpConnection() = default;
    CdpConnection(const CdpConnection&) = delete;
    CdpConnection& operator=(const CdpConnection&) = delete;

    // Starts reading eventFd on the message loop (also inside the loop's waits) and writing
    // commands to commandFd. onClosed runs once when Chromium closes its end.
    void open(int commandFd, int eventFd, EventHandler onEvent, std::function<void()> onClosed);
    // Stops reading; pending replies are dropped.
    void close();
    bool isOpen() const { return commandFd_ >= 0 && !closed_; }

    // Sends a command; the reply, if given, runs on the loop thread when the answer arrives.
    // Returns false when the connection is closed or the write failed.
    bool send(std::string_view method, const Json::Value& params, std::string_view sessionId,
              Reply reply = {});

    // Sends a command and waits for its answer up to timeoutMs, while every other message is
    // handled as it arrives (page calls, paused requests, dialogs, new targets). Returns the
    // result, or null with *error set.
    Json::Value call(std::string_view method, const Json::Value& params, std::string_view sessionId,
                     int timeoutMs, std::string* error);

    // Reads what is there and handles every complete message (the fd watch calls this).
    void onReadable();

    // Messages handled so far; used to wait for quiet in tests and benchmarks.
    uint64_t messagesHandled() const { return handled_; }

private:
    void dispatch(const std::string& text);
    void handle(const Json::Value& message);
    void hangUp();

    int commandFd_ = -1;
    int eventFd_ = -1;
    uint64_t watchId_ = 0;
    bool closed_ = false;
    int nextId_ = 0;
    uint64_t handled_ = 0;
    std::string buffer_;
    std::map<int, Reply> pending_;
    EventHandler onEvent_;
    std::function<void()> onClosed_;
};

// Compact JSON text, valid UTF-8 whatever the strings inside held.
std::string toJsonText(const Json::Value& value);
// Parses one JSON text; null (and *ok false) when it is not JSON.
Json::Value parseJsonText(std::string_view text, bool* ok = nullptr);

}  // namespace cefhx
