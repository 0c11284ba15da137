#include "platform/cefhx/devtools_transport.h"

#include <memory>

#include "platform/msgloop/msgloop.h"

namespace cefhx {

morvick::Expected<Json::Value> DevToolsTransport::call(std::string_view method,
                                                       const Json::Value& params,
                                                       std::string_view sessionId, int timeoutMs) {
    morvick::Expected<std::vector<Json::Value>> answers =
        callAll({{std::string(method), params, std::string(sessionId)}}, timeoutMs);
    if (!answers) return morvick::fail(answers.error());
    return std::move(answers->front());
}

morvick::Expected<std::vector<Json::Value>> DevToolsTransport::callAll(
    const std::vector<Command>& commands, int timeoutMs) {
    struct Answer {
        bool done = false;
        Json::Value result;
        std::string error;
    };
    struct Answers {
        std::vector<Answer> each;
        size_t pending = 0;
    };
    // Shared: a reply that comes after the deadline still finds it.
    auto answers = std::make_shared<Answers>();
    answers->each.resize(commands.size());
    answers->pending = commands.size();
    for (size_t i = 0; i < commands.size(); ++i) {
        const Command& c = commands[i];
        bool sent = send(c.method, c.params, c.sessionId,
                         [answers, i](const Json::Value& result, const std::string& err) {
                             Answer& answer = answers->each[i];
                             answer.done = true;
                             answer.result = result;
                             answer.error = err;
                             --answers->pending;
                         });
        if (!sent) return morvick::fail(c.method + ": the browser connection is closed");
    }
    int status = ml_wait([](void* a) { return static_cast<Answers*>(a)->pending == 0 ? 1 : 0; },
                         answers.get(), timeoutMs);
    std::vector<Json::Value> results;
    for (size_t i = 0; i < commands.size(); ++i) {
        const Answer& answer = answers->each[i];
        const std::string& method = commands[i].method;
        if (!answer.done) {
            return morvick::fail(method +
                                 (status == ML_ERR_TIMEOUT
                                      ? ": no answer within " + std::to_string(timeoutMs) + " ms"
                                      : ": " + std::string(ml_last_error())));
        }
        if (!answer.error.empty()) return morvick::fail(method + ": " + answer.error);
        results.push_back(answer.result);
    }
    return results;
}

}  // namespace cefhx
