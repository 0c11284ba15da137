#include "platform/cefhx/devtools_transport.h"

#include <memory>

#include "platform/msgloop/msgloop.h"

namespace cefhx {

morvick::Expected<Json::Value> DevToolsTransport::call(std::string_view method,
                                                       const Json::Value& params,
                                                       std::string_view sessionId, int timeoutMs) {
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
    if (!sent) return morvick::fail(std::string(method) + ": the browser connection is closed");
    int status = ml_wait([](void* a) { return static_cast<Answer*>(a)->done ? 1 : 0; },
                         answer.get(), timeoutMs);
    if (!answer->done) {
        return morvick::fail(std::string(method) +
                             (status == ML_ERR_TIMEOUT
                                  ? ": no answer within " + std::to_string(timeoutMs) + " ms"
                                  : ": " + std::string(ml_last_error())));
    }
    if (!answer->error.empty()) return morvick::fail(std::string(method) + ": " + answer->error);
    return answer->result;
}

}  // namespace cefhx
