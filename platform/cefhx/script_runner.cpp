#include "platform/cefhx/script_runner.h"

#include <cstdio>
#include <exception>

#include "platform/cefhx/browser_host.h"
#include "platform/cefhx/cdp_connection.h"
#include "platform/cefhx/host_window.h"
#include "platform/cefhx/json_fields.h"
#include "runtime/json.h"

namespace cefhx {
namespace {

std::string jsString(const std::string& text) {
    return toJsonText(Json::Value(text));
}

Json::Value evaluateParams(const FrameInfo& frame, const std::string& expression) {
    Json::Value params(Json::objectValue);
    params["expression"] = expression;
    params["returnByValue"] = true;
    params["userGesture"] = true;
    if (frame.contextId) params["contextId"] = frame.contextId;
    return params;
}

}  // namespace

std::string invokeExpression(const std::string& function, const std::string& argumentsJson) {
    return "(() => { const path = " + jsString(function) +
           ".split('.'); let self = globalThis;"
           " for (let i = 0; i + 1 < path.length && self != null; ++i) self = self[path[i]];"
           " const f = self == null ? undefined : self[path[path.length - 1]];"
           " if (typeof f !== 'function') throw new TypeError('no page function ' + " +
           jsString(function) +
           ");"
           " const text = JSON.stringify(f.apply(self, " +
           argumentsJson + ")); return text === undefined ? 'null' : text; })()";
}

std::string evalExpression(const std::string& code) {
    return "(() => { const text = JSON.stringify((0, eval)(" + jsString(code) +
           ")); return text === undefined ? 'null' : text; })()";
}

rt::Value evaluateForValue(BrowserHost& host, HostWindow& w, const FrameInfo& frame,
                           const std::string& expression) {
    const morvick::Expected<Json::Value> answer =
        host.callPage(w, "Runtime.evaluate", evaluateParams(frame, expression));
    if (!answer) {
        std::fprintf(stderr, "cefhx: script in window %u: %s\n", w.hwnd(), answer.error().c_str());
        return {};
    }
    const Json::Value& result = *answer;
    const Json::Value& details = anyField(result, "exceptionDetails");
    if (!details.isNull()) {
        const Json::Value& description = anyField(anyField(details, "exception"), "description");
        std::string text = description.isString() ? description.asString() : "";
        if (text.empty() && anyField(details, "text").isString()) {
            text = anyField(details, "text").asString();
        }
        std::fprintf(stderr, "cefhx: script in window %u threw: %s\n", w.hwnd(), text.c_str());
        return {};
    }
    const Json::Value& value = anyField(anyField(result, "result"), "value");
    if (!value.isString()) return {};
    try {
        return rt::Json::parse(value.asString());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cefhx: script in window %u answered no JSON: %s\n", w.hwnd(),
                     e.what());
        return {};
    }
}

void runInFrame(BrowserHost& host, HostWindow& w, const FrameInfo& frame, const std::string& code) {
    Json::Value params = evaluateParams(frame, code);
    params["returnByValue"] = false;
    params["silent"] = true;
    host.sendToPage(w, "Runtime.evaluate", params);
}

}  // namespace cefhx
