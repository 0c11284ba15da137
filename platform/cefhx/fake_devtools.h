// Test support: a DevTools transport without a browser. It records every command the host sends,
// answers the ones it was told to answer, and hands recorded browser messages to the host through
// the same dispatcher the pipe uses.
#pragma once

#include <json/json.h>

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/cefhx/devtools_dispatcher.h"
#include "platform/cefhx/devtools_transport.h"

namespace cefhx::testing {

class FakeDevTools final : public DevToolsTransport {
public:
    struct Command {
        int id = 0;
        std::string method;
        Json::Value params;
        std::string sessionId;
    };

    FakeDevTools();

    void setHandlers(EventHandler onEvent, std::function<void()> onClosed) override;
    // Events taken apart for a test that hands them to one piece: method, params, session.
    using PieceHandler = std::function<void(const std::string& method, const Json::Value& params,
                                            const std::string& sessionId)>;
    void onEvents(PieceHandler handler);
    bool isOpen() const override { return dispatcher_.isOpen(); }
    void close() override { dispatcher_.close(); }
    bool send(std::string_view method, const Json::Value& params, std::string_view sessionId,
              Reply reply = {}) override;
    uint64_t messagesHandled() const override { return dispatcher_.messagesHandled(); }

    // Answers every later command of this method at once with result, as a browser would.
    void answer(const std::string& method, const Json::Value& result);
    // A recorded message from the browser (one JSON text), or bytes as they came over the pipe
    // (NUL-terminated messages, possibly cut anywhere).
    void receive(const std::string& message);
    void receiveBytes(std::string_view bytes) { dispatcher_.receive(bytes); }
    // Answers the oldest unanswered command of this method; false when there is none.
    bool reply(const std::string& method, const Json::Value& result);
    bool fail(const std::string& method, const std::string& error);
    // Fails every command still unanswered, and those the failures make the host send, as a
    // browser would that answers nothing more; the host's waiting replies are then all run.
    void failAll(const std::string& error);

    // Commands sent so far, oldest first; taken() hands them over and forgets them.
    const std::vector<Command>& sent() const { return sent_; }
    std::vector<Command> taken();
    // The sent commands of this method (on any session).
    std::vector<Command> sentOf(const std::string& method) const;

private:
    bool answerOldest(const std::string& method, const Json::Value& answer);

    DevToolsDispatcher dispatcher_;
    std::vector<Command> sent_;
    // Commands without an answer yet: id and method, oldest first.
    std::vector<std::pair<int, std::string>> unanswered_;
    std::map<std::string, Json::Value> answers_;
};

}  // namespace cefhx::testing
