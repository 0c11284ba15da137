// The one way a message from the browser is taken apart, whatever carries it: NUL-terminated
// JSON texts are cut from the bytes received, a reply goes to the command it answers, an event
// to the event handler, and a message of an unexpected shape is dropped with a trace line.
#pragma once

#include <json/json.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "platform/cefhx/devtools_transport.h"

namespace cefhx {

class DevToolsDispatcher {
public:
    void setHandlers(DevToolsTransport::EventHandler onEvent, std::function<void()> onClosed);

    // Numbers a command and keeps its reply; answers the message text to send (no NUL).
    std::string command(std::string_view method, const Json::Value& params,
                        std::string_view sessionId, DevToolsTransport::Reply reply);
    // The command numbered id was not sent after all: its reply is forgotten.
    void withdraw(int id) { pending_.erase(id); }
    int lastId() const { return nextId_; }

    // Takes bytes as they came and handles every complete message. Each message leaves the
    // buffer before it is handled, so that handling it may wait for further messages (a nested
    // call) without seeing this one again. Stops when the connection closes meanwhile.
    void receive(std::string_view bytes);
    // Handles one message text.
    void dispatch(const std::string& text);

    bool isOpen() const { return open_; }
    void reopen() { open_ = true; }
    // Stops: pending replies are dropped unanswered.
    void close();
    // The browser went away: pending replies fail with that, then onClosed runs.
    void hangUp();

    uint64_t messagesHandled() const { return handled_; }

private:
    void handle(const Json::Value& message);

    bool open_ = false;
    int nextId_ = 0;
    uint64_t handled_ = 0;
    std::string buffer_;
    std::map<int, DevToolsTransport::Reply> pending_;
    DevToolsTransport::EventHandler onEvent_;
    std::function<void()> onClosed_;
};

// Compact JSON text, valid UTF-8 whatever the strings inside held.
std::string toJsonText(const Json::Value& value);
// Parses one JSON text; null (and *ok false) when it is not JSON.
Json::Value parseJsonText(std::string_view text, bool* ok = nullptr);

}  // namespace cefhx
