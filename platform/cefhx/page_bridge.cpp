#include "platform/cefhx/page_bridge.h"

#include <cstdio>
#include <exception>

#include "platform/cefhx/browser_host.h"
#include "platform/cefhx/host_window.h"
#include "platform/cefhx/json_fields.h"
#include "runtime/array.h"
#include "runtime/json.h"

namespace cefhx {
namespace {

// Settles call `id` in the context that made it.
void settle(BrowserHost& host, HostWindow& w, int contextId, int id, bool ok,
            const std::string& json) {
    Json::Value params(Json::objectValue);
    params["expression"] = "window.__cefhxSettle(" + std::to_string(id) + "," +
                           (ok ? "true" : "false") + "," + json + ")";
    params["contextId"] = contextId;
    params["silent"] = true;
    host.sendToPage(w, "Runtime.evaluate", params);
}

std::string jsonText(const std::string& text) {
    Json::Value v(text);
    Json::StreamWriterBuilder b;
    b["indentation"] = "";
    b["emitUTF8"] = true;
    return Json::writeString(b, v);
}

}  // namespace

const std::string& pageBridgeScript() {
    static const std::string script = R"JS((() => {
  if (window.cefhx) return;
  const send = window.__cefhxCall;
  const waiting = new Map();
  let next = 0;
  const call = (name, ...args) => new Promise((resolve, reject) => {
    const id = ++next;
    waiting.set(id, { resolve, reject });
    try {
      send(JSON.stringify({ id, name: String(name), args }));
    } catch (e) {
      waiting.delete(id);
      reject(e);
    }
  });
  const settle = (id, ok, value) => {
    const p = waiting.get(id);
    if (!p) return;
    waiting.delete(id);
    if (ok) p.resolve(value); else p.reject(new Error(String(value)));
  };
  Object.defineProperty(window, '__cefhxSettle', { value: settle });
  Object.defineProperty(window, 'cefhx', { value: Object.freeze({ call }), enumerable: true });
})();)JS";
    return script;
}

namespace {

// The address of the document whose script context made a call; empty when the context is no
// frame's known one.
std::string callerAddress(HostWindow& w, int contextId) {
    for (const FrameInfo& f : w.frames) {
        if (f.contextId != 0 && f.contextId == contextId) return f.url;
    }
    return {};
}

}  // namespace

void onBindingCalled(BrowserHost& host, const std::shared_ptr<HostWindow>& w,
                     const Json::Value& params) {
    if (textField(params, "name") != BrowserHost::kBindingName) return;
    const int contextId = intField(params, "executionContextId");
    const std::string payload = textField(params, "payload");
    rt::Value call;
    try {
        call = rt::Json::parse(payload);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cefhx: a page call of window %u is not JSON: %s\n", w->hwnd(),
                     e.what());
        return;
    }
    int id = call.get("id").toInt();
    rt::Value name = call.get("name");
    rt::Ref<rt::Array> args = call.get("args").asArray();
    if (!args) args = rt::make<rt::Array>();
    rt::Value result;
    try {
        result = w->object().callMember("on_jscall",
                                        {name, args, rt::Value(callerAddress(*w, contextId))});
    } catch (const std::exception& e) {
        settle(host, *w, contextId, id, false,
               jsonText("page call " + std::string(name.str()) + " failed: " + e.what()));
        return;
    }
    std::string json;
    try {
        json = rt::Json::stringify(result);
    } catch (const std::exception& e) {
        settle(host, *w, contextId, id, false,
               jsonText("the answer to page call " + std::string(name.str()) +
                        " cannot be sent: " + e.what()));
        return;
    }
    settle(host, *w, contextId, id, true, json);
}

}  // namespace cefhx
