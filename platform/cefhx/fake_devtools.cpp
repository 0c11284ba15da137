#include "platform/cefhx/fake_devtools.h"

namespace cefhx::testing {

FakeDevTools::FakeDevTools() {
    dispatcher_.reopen();
}

void FakeDevTools::setHandlers(EventHandler onEvent, std::function<void()> onClosed) {
    dispatcher_.setHandlers(std::move(onEvent), std::move(onClosed));
}

void FakeDevTools::onEvents(PieceHandler handler) {
    setHandlers(
        [handler = std::move(handler)](const Json::Value& m) {
            handler(m["method"].asString(), m["params"], m.get("sessionId", "").asString());
        },
        {});
}

bool FakeDevTools::send(std::string_view method, const Json::Value& params,
                        std::string_view sessionId, Reply reply) {
    if (!isOpen()) return false;
    // What goes out is what would go over the pipe, read back.
    const Json::Value message =
        parseJsonText(dispatcher_.command(method, params, sessionId, std::move(reply)));
    Command command{message["id"].asInt(), message["method"].asString(), message["params"],
                    message.get("sessionId", "").asString()};
    sent_.push_back(command);
    unanswered_.emplace_back(command.id, command.method);
    auto canned = answers_.find(command.method);
    if (canned != answers_.end()) {
        Json::Value answer(Json::objectValue);
        answer["result"] = canned->second;
        answerOldest(command.method, answer);
    }
    return true;
}

void FakeDevTools::answer(const std::string& method, const Json::Value& result) {
    answers_[method] = result;
}

void FakeDevTools::receive(const std::string& message) {
    dispatcher_.dispatch(message);
}

bool FakeDevTools::answerOldest(const std::string& method, const Json::Value& answer) {
    for (auto it = unanswered_.begin(); it != unanswered_.end(); ++it) {
        if (it->second != method) continue;
        Json::Value message = answer;
        message["id"] = it->first;
        unanswered_.erase(it);
        dispatcher_.dispatch(toJsonText(message));
        return true;
    }
    return false;
}

bool FakeDevTools::reply(const std::string& method, const Json::Value& result) {
    Json::Value answer(Json::objectValue);
    answer["result"] = result;
    return answerOldest(method, answer);
}

bool FakeDevTools::fail(const std::string& method, const std::string& error) {
    Json::Value answer(Json::objectValue);
    answer["error"]["message"] = error;
    return answerOldest(method, answer);
}

void FakeDevTools::failAll(const std::string& error) {
    // A host that sends a command for every failure it hears would never let this end.
    constexpr int kRounds = 16;
    for (int round = 0; round < kRounds && !unanswered_.empty(); ++round) {
        const std::vector<std::pair<int, std::string>> due = std::move(unanswered_);
        unanswered_.clear();
        for (const auto& [id, method] : due) {
            Json::Value answer(Json::objectValue);
            answer["id"] = id;
            answer["error"]["message"] = error;
            dispatcher_.dispatch(toJsonText(answer));
        }
    }
}

std::vector<FakeDevTools::Command> FakeDevTools::taken() {
    std::vector<Command> out = std::move(sent_);
    sent_.clear();
    return out;
}

std::vector<FakeDevTools::Command> FakeDevTools::sentOf(const std::string& method) const {
    std::vector<Command> out;
    for (const Command& c : sent_) {
        if (c.method == method) out.push_back(c);
    }
    return out;
}

}  // namespace cefhx::testing
