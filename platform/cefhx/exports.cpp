// The primitives of the browser-host library, exported as "name__N" (N the argument count): each
// export answers the primitive's address. Primitives run on the loop thread, except
// cef_app_posttask, which any thread may call.
#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "platform/cefhx/browser_host.h"
#include "platform/cefhx/file_url.h"
#include "platform/cefhx/hot_keys.h"
#include "platform/cefhx/json_fields.h"
#include "platform/cefhx/page_bridge.h"
#include "platform/cefhx/primitive_support.h"
#include "platform/cefhx/script_runner.h"
#include "platform/cefhx/system_metrics.h"
#include "platform/cefhx/window_messages.h"
#include "runtime/ansi.h"
#include "runtime/array.h"
#include "runtime/c_value.h"
#include "runtime/json.h"
#include "runtime/record.h"

namespace cefhx {
namespace {

using rt::Value;

BrowserHost& host() {
    return BrowserHost::instance();
}

using namespace requests;

// Runs a primitive's body; nothing it throws crosses the C interface.
template <class F>
value guarded(const char* name, F body) {
    return guardedPrimitive(name, body, [](const std::string& failure) {
        std::fprintf(stderr, "cefhx: %s\n", failure.c_str());
    });
}

std::shared_ptr<HostWindow> windowOf(value handle) {
    return host().window(rt::fromC(handle));
}

// The frame a frame primitive names, copied: the frame list may change while a call waits.
std::optional<FrameInfo> frameOf(HostWindow& w, value isMain, value name) {
    FrameInfo* f = w.frameFor(rt::fromC(isMain).toBool(), primitiveText(name));
    if (!f) return std::nullopt;
    return *f;
}

// Runs a browser primitive's body on the window, or answers null when the handle names none.
template <class F>
value onWindow(const char* name, value handle, F body) {
    return guarded(name, [&]() -> Value {
        std::shared_ptr<HostWindow> w = windowOf(handle);
        if (!w || w->destroying) return {};
        return body(*w);
    });
}

// The same for a frame primitive.
template <class F>
value onFrame(const char* name, value handle, value isMain, value frameName, F body) {
    return onWindow(name, handle, [&](HostWindow& w) -> Value {
        std::optional<FrameInfo> f = frameOf(w, isMain, frameName);
        if (!f) return {};
        return body(w, *f);
    });
}

Value pageCommand(HostWindow& w, const char* method, Json::Value params = Json::Value()) {
    host().sendToPage(w, method, params);
    return {};
}

Value runScript(HostWindow& w, const std::string& code) {
    if (FrameInfo* main = w.mainFrame()) runInFrame(host(), w, *main, code);
    return {};
}

Value navigationHistoryFlag(HostWindow& w, bool forward) {
    const morvick::Expected<Json::Value> r =
        host().callPage(w, "Page.getNavigationHistory", Json::Value());
    if (!r) return false;
    const Json::Value& index = anyField(*r, "currentIndex");
    const Json::Value& entries = anyField(*r, "entries");
    if (!index.isInt() || !entries.isArray()) return false;
    const int count = static_cast<int>(entries.size());
    return forward ? index.asInt() + 1 < count : index.asInt() > 0;
}

// Ends the processes of this user whose program is named `name` ("x.exe" also finds "x").
bool closeProcessesNamed(const std::string& name) {
    if (name.empty()) return false;
    std::string bare = name;
    if (bare.size() > 4 && bare.compare(bare.size() - 4, 4, ".exe") == 0) {
        bare.resize(bare.size() - 4);
    }
    bool any = false;
    DIR* proc = opendir("/proc");
    if (!proc) return false;
    while (dirent* e = readdir(proc)) {
        char* end = nullptr;
        long pid = std::strtol(e->d_name, &end, 10);
        if (*end != '\0' || pid <= 1 || pid == getpid()) continue;
        std::ifstream comm("/proc/" + std::string(e->d_name) + "/comm");
        std::string program;
        std::getline(comm, program);
        if (program != name && program != bare) continue;
        if (kill(static_cast<pid_t>(pid), SIGTERM) == 0) any = true;
    }
    closedir(proc);
    return any;
}

// ---- application ----

// Global hot keys are grabbed on the X display the browser shows its windows on; a headless
// host has no display to take them from and answers as a failed registration.
HotKeys* hotKeys() {
    static std::unique_ptr<HotKeys> keys;
    if (!keys && !host().options().headless) {
        const char* display = std::getenv("DISPLAY");
        if (display && *display) keys = std::make_unique<HotKeys>(display);
    }
    return keys.get();
}

value cef_app_main(value ready, value settings) {
    return guarded("cef_app_main", [&] {
        host().runMain(rt::fromC(ready), rt::fromC(settings));
        if (HotKeys* keys = hotKeys()) keys->clear();
        return Value();
    });
}
value cef_app_quit() {
    return guarded("cef_app_quit", [] {
        host().requestQuit();
        return Value();
    });
}
value cef_app_setglobalapp(value) {
    return nullptr;
}
value cef_getsystemmetrics(value index) {
    return guarded("cef_getsystemmetrics", [&] {
        const ChromiumOptions& o = host().options();
        return Value(systemMetric(rt::fromC(index).toInt(), o.screenWidth, o.screenHeight));
    });
}
value cef_unicode2ansi(value s) {
    return guarded("cef_unicode2ansi", [&]() -> Value {
        Value v = rt::fromC(s);
        return v.isNull() ? Value() : Value(rt::utf8ToAnsi(v.str()));
    });
}
value cef_ansi2unicode(value s) {
    return guarded("cef_ansi2unicode", [&]() -> Value {
        Value v = rt::fromC(s);
        return v.isNull() ? Value() : Value(rt::ansiToUtf8(v.str()));
    });
}
value cef_setosmodalloop(value) {
    return nullptr;
}
value cef_app_registerhotkey(value window, value name, value modifiers, value key) {
    return guarded("cef_app_registerhotkey", [&] {
        std::shared_ptr<HostWindow> w = windowOf(window);
        HotKeys* keys = hotKeys();
        if (!w || !keys) {
            std::fprintf(stderr, "cefhx: hot key \"%s\" not registered: %s\n",
                         primitiveText(name).c_str(), !w ? "no such window" : "no X display");
            return Value(-1);
        }
        return Value(keys->add(w->hwnd(), primitiveText(name), rt::fromC(modifiers).toInt(),
                               rt::fromC(key).toInt()));
    });
}
value cef_app_unregisterhotkey(value window, value name) {
    return guarded("cef_app_unregisterhotkey", [&] {
        std::shared_ptr<HostWindow> w = windowOf(window);
        HotKeys* keys = hotKeys();
        return Value(w && keys && keys->remove(w->hwnd(), primitiveText(name)));
    });
}
value cef_app_registeinstance(value name) {
    return guarded("cef_app_registeinstance", [&] {
        host().ensureLoop();
        return Value(host().singleInstance().claim(
            primitiveText(name), [] { host().broadcastSystemMessage(kNewAppMessage, 0, 0); }));
    });
}
value cef_app_closeprocess(value name) {
    return guarded("cef_app_closeprocess",
                   [&] { return Value(closeProcessesNamed(primitiveText(name))); });
}
value cef_app_closeprocessbyid(value id) {
    return guarded("cef_app_closeprocessbyid", [&] {
        int pid = rt::fromC(id).toInt();
        return Value(pid > 1 && pid != getpid() && kill(pid, SIGTERM) == 0);
    });
}
value cef_app_sendmessage(value target, value message, value number) {
    return guarded("cef_app_sendmessage", [&] {
        Value t = rt::fromC(target);
        long to = t.isNumber() ? t.toInt() : std::strtol(std::string(t.str()).c_str(), nullptr, 10);
        std::string msg = primitiveText(message);
        if (to > 0) {
            ml_send_copydata(static_cast<ml_hwnd>(to), 0,
                             static_cast<uint64_t>(rt::fromC(number).toInt()), msg.data(),
                             static_cast<uint32_t>(msg.size()), 1000, nullptr);
        }
        return Value();
    });
}
value cef_app_gethwndstr(value handle) {
    return guarded("cef_app_gethwndstr", [&]() -> Value {
        Value h = rt::fromC(handle);
        return h.isNumber() ? Value(std::to_string(h.toInt())) : Value();
    });
}
value cef_app_currentlyon(value thread) {
    // Thread 0 is the UI thread, the one running the message loop; the host has no other.
    return guarded("cef_app_currentlyon", [&] {
        return Value(rt::fromC(thread).toInt() == 0 && ml_is_loop_thread() != 0);
    });
}
value cef_app_setfilterpath(value paths) {
    return guarded("cef_app_setfilterpath", [&] {
        std::vector<std::string> list;
        if (rt::Ref<rt::Array> a = rt::fromC(paths).asArray()) {
            for (const Value& p : a->items()) {
                if (p.isString() && !p.str().empty()) list.emplace_back(p.str());
            }
        }
        host().setFilterPaths(std::move(list));
        return Value();
    });
}

// ---- windows ----

value cef_window_create(value width, value height, value flags, value window, value browser) {
    return guarded("cef_window_create", [&] {
        return host().createWindow(rt::fromC(width).toInt(), rt::fromC(height).toInt(),
                                   rt::fromC(flags).toInt(), rt::fromC(window), rt::fromC(browser));
    });
}
value cef_window_close(value handle) {
    return onWindow("cef_window_close", handle, [](HostWindow& w) -> Value {
        return host().closeWindow(host().windowByHwnd(w.hwnd()));
    });
}
value cef_window_show(value handle, value visible, value, value, value) {
    return onWindow("cef_window_show", handle, [&](HostWindow& w) {
        host().showWindow(host().windowByHwnd(w.hwnd()), rt::fromC(visible).toBool());
        return Value();
    });
}
value window_set_prop(value handle, value id, value v) {
    return onWindow("window_set_prop", handle, [&](HostWindow& w) {
        host().setWindowProperty(host().windowByHwnd(w.hwnd()),
                                 static_cast<WindowProperty>(rt::fromC(id).toInt()), rt::fromC(v));
        return rt::fromC(v);
    });
}
value window_get_prop(value handle, value id) {
    return onWindow("window_get_prop", handle, [&](HostWindow& w) {
        return w.property(static_cast<WindowProperty>(rt::fromC(id).toInt()));
    });
}
value window_set_title(value handle, value title) {
    return onWindow("window_set_title", handle, [&](HostWindow& w) {
        host().setNativeTitle(host().windowByHwnd(w.hwnd()), primitiveText(title));
        return Value();
    });
}
// Moving, sizing and shapes act on the window's X window: without a display they change
// nothing (docs/cefhx.md).
value window_drag(value handle) {
    return onWindow("window_drag", handle, [&](HostWindow& w) {
        host().dragWindow(host().windowByHwnd(w.hwnd()), MoveResize::Move);
        return Value();
    });
}
value window_resize(value handle, value edge) {
    return onWindow("window_resize", handle, [&](HostWindow& w) {
        host().dragWindow(host().windowByHwnd(w.hwnd()), resizeDirection(rt::fromC(edge).toInt()));
        return Value();
    });
}
value window_setround(value handle, value rect, value size) {
    return onWindow("window_setround", handle, [&](HostWindow& w) {
        Value r = rt::fromC(rect);
        Value s = rt::fromC(size);
        // The rect's four numbers are its left, top, right and bottom; the size is the corner's.
        host().setWindowRound(host().windowByHwnd(w.hwnd()), r.get(field::kX).toInt(),
                              r.get(field::kY).toInt(), r.get(field::kWidth).toInt(),
                              r.get(field::kHeight).toInt(), s.get(field::kWidth).toInt(),
                              s.get(field::kHeight).toInt());
        return Value();
    });
}
// Not one of the program's primitives: other libraries bind it to make a window of their own
// (a box, a menu) a modal dialog of a program window (docs/cefhx.md).
value window_set_owner(value handle, value owner) {
    return onWindow("window_set_owner", handle, [&](HostWindow& w) {
        Value o = rt::fromC(owner);
        host().setWindowOwner(host().windowByHwnd(w.hwnd()),
                              o.isNumber() ? static_cast<ml_hwnd>(o.toInt()) : 0);
        return Value();
    });
}
value window_onresloaded(value handle, value record) {
    return onWindow("window_onresloaded", handle, [&](HostWindow& w) {
        w.resourceAnswer = rt::fromC(record);
        return Value();
    });
}
value window_set_message_hook(value handle, value on) {
    return onWindow("window_set_message_hook", handle, [&](HostWindow& w) {
        w.messageHook = rt::fromC(on).toBool();
        return Value();
    });
}
value cef_app_posttask(value handle, value delay) {
    return guarded("cef_app_posttask", [&] {
        Value h = rt::fromC(handle);
        if (!h.isNumber()) return Value(false);
        return Value(BrowserHost::postTask(static_cast<ml_hwnd>(h.toInt()), rt::fromC(delay)));
    });
}

// ---- browsers ----

value browser_sendfocusevent(value handle, value on) {
    return onWindow("browser_sendfocusevent", handle, [&](HostWindow& w) {
        Json::Value p(Json::objectValue);
        p["enabled"] = rt::fromC(on).toBool();
        return pageCommand(w, "Emulation.setFocusEmulationEnabled", p);
    });
}
value browser_sendcapturelostevent(value) {
    return nullptr;
}
value browser_sendmousewheelevent(value handle, value x, value y, value dx, value dy) {
    return onWindow("browser_sendmousewheelevent", handle, [&](HostWindow& w) {
        Json::Value p(Json::objectValue);
        p["type"] = "mouseWheel";
        p["x"] = rt::fromC(x).toInt();
        p["y"] = rt::fromC(y).toInt();
        p["deltaX"] = rt::fromC(dx).toInt();
        p["deltaY"] = rt::fromC(dy).toInt();
        return pageCommand(w, "Input.dispatchMouseEvent", p);
    });
}
value browser_sendmousemoveevent(value handle, value x, value y, value) {
    return onWindow("browser_sendmousemoveevent", handle, [&](HostWindow& w) {
        Json::Value p(Json::objectValue);
        p["type"] = "mouseMoved";
        p["x"] = rt::fromC(x).toInt();
        p["y"] = rt::fromC(y).toInt();
        return pageCommand(w, "Input.dispatchMouseEvent", p);
    });
}
value browser_sendmouseclickevent(value handle, value point, value button, value up, value count) {
    return onWindow("browser_sendmouseclickevent", handle, [&](HostWindow& w) {
        static const char* kButtons[] = {"left", "middle", "right"};
        int b = rt::fromC(button).toInt();
        Value at = rt::fromC(point);
        Json::Value p(Json::objectValue);
        p["type"] = rt::fromC(up).toBool() ? "mouseReleased" : "mousePressed";
        p["x"] = at.get(field::kX).toInt();
        p["y"] = at.get(field::kY).toInt();
        p["button"] = b >= 0 && b < 3 ? kButtons[b] : "left";
        p["clickCount"] = std::max(1, rt::fromC(count).toInt());
        return pageCommand(w, "Input.dispatchMouseEvent", p);
    });
}
value browser_sendkeyevent(value handle, value type, value key, value modifiers) {
    return onWindow("browser_sendkeyevent", handle, [&](HostWindow& w) {
        static const char* kTypes[] = {"keyUp", "rawKeyDown", "char"};
        int t = rt::fromC(type).toInt();
        int code = rt::fromC(key).get(field::kX).toInt();
        Json::Value p(Json::objectValue);
        p["type"] = t >= 0 && t < 3 ? kTypes[t] : "keyUp";
        p["windowsVirtualKeyCode"] = code;
        p["modifiers"] = rt::fromC(modifiers).toInt();
        if (t == 2 && code > 0 && code < 0x80) p["text"] = std::string(1, static_cast<char>(code));
        return pageCommand(w, "Input.dispatchKeyEvent", p);
    });
}
value browser_invalidate(value, value, value, value, value) {
    return nullptr;
}
value browser_setsize(value handle, value, value width, value height) {
    return onWindow("browser_setsize", handle, [&](HostWindow& w) {
        auto sw = host().windowByHwnd(w.hwnd());
        host().setWindowProperty(sw, WindowProperty::Width, rt::fromC(width));
        host().setWindowProperty(sw, WindowProperty::Height, rt::fromC(height));
        return Value();
    });
}
value browser_getsize(value handle, value) {
    // The program reads the answer without a null test: always a record.
    return guarded("browser_getsize", [&]() -> Value {
        std::shared_ptr<HostWindow> w = windowOf(handle);
        int width = w ? w->intProperty(WindowProperty::Width) : 0;
        int height = w ? w->intProperty(WindowProperty::Height) : 0;
        return rt::Record::of({{field::kWidth, width}, {field::kHeight, height}});
    });
}
// Developer tools open only in a window with browser chrome; the host has none to show.
value browser_closedevtools(value) {
    return nullptr;
}
value browser_showdevtools(value) {
    return nullptr;
}
value browser_clearhistory(value handle) {
    return onWindow("browser_clearhistory", handle,
                    [](HostWindow& w) { return pageCommand(w, "Page.resetNavigationHistory"); });
}
value browser_stopfind(value handle) {
    return onWindow("browser_stopfind", handle, [](HostWindow& w) {
        return runScript(w, "window.getSelection() && window.getSelection().removeAllRanges()");
    });
}
value browser_find(value handle, value, value what, value forward, value options) {
    return onWindow("browser_find", handle, [&](HostWindow& w) {
        Value o = rt::fromC(options);
        return runScript(w, "window.find(" + toJsonText(Json::Value(primitiveText(what))) + ", " +
                                (o.get(field::kX).toBool() ? "true" : "false") + ", " +
                                (rt::fromC(forward).toBool() ? "false" : "true") + ", true)");
    });
}
value browser_stopload(value handle) {
    return onWindow("browser_stopload", handle,
                    [](HostWindow& w) { return pageCommand(w, "Page.stopLoading"); });
}
value browser_reload(value handle, value ignoreCache) {
    return onWindow("browser_reload", handle, [&](HostWindow& w) {
        Json::Value p(Json::objectValue);
        p["ignoreCache"] = rt::fromC(ignoreCache).toBool();
        return pageCommand(w, "Page.reload", p);
    });
}
value browser_hidepopup(value) {
    return nullptr;
}
value browser_goforward(value handle) {
    return onWindow("browser_goforward", handle,
                    [](HostWindow& w) { return runScript(w, "history.forward()"); });
}
value browser_goback(value handle) {
    return onWindow("browser_goback", handle,
                    [](HostWindow& w) { return runScript(w, "history.back()"); });
}
value browser_getmainframeid(value handle) {
    return guarded("browser_getmainframeid", [&]() -> Value {
        std::shared_ptr<HostWindow> w = windowOf(handle);
        FrameInfo* main = w && w->browserReady ? w->mainFrame() : nullptr;
        return main ? main->id : -1;
    });
}
value browser_getframenames(value handle) {
    return onWindow("browser_getframenames", handle, [](HostWindow& w) -> Value {
        rt::Ref<rt::Array> names = rt::make<rt::Array>();
        for (const FrameInfo& f : w.frames) names->push(f.name);
        return names;
    });
}
value browser_getframeobj(value handle, value name) {
    return onWindow("browser_getframeobj", handle, [&](HostWindow& w) -> Value {
        FrameInfo* f = w.frameByName(primitiveText(name));
        return f ? frameRecord(*f) : Value();
    });
}
value browser_getfocusedframeobj(value handle) {
    // Chromium does not report frame focus; the main frame stands for the focused one.
    return onWindow("browser_getfocusedframeobj", handle, [](HostWindow& w) -> Value {
        FrameInfo* f = w.mainFrame();
        return f ? frameRecord(*f) : Value();
    });
}
value browser_setfocus(value handle, value on) {
    return onWindow("browser_setfocus", handle, [&](HostWindow& w) {
        if (rt::fromC(on).toBool()) pageCommand(w, "Page.bringToFront");
        return Value();
    });
}
value browser_getcangoforward(value handle) {
    return onWindow("browser_getcangoforward", handle,
                    [](HostWindow& w) { return navigationHistoryFlag(w, true); });
}
value browser_getcangoback(value handle) {
    return onWindow("browser_getcangoback", handle,
                    [](HostWindow& w) { return navigationHistoryFlag(w, false); });
}
value browser_getispopupvisible(value) {
    return guarded("browser_getispopupvisible", [] { return Value(false); });
}
value browser_iswindowrenderingdisabled(value) {
    return guarded("browser_iswindowrenderingdisabled", [] { return Value(false); });
}
value browser_setzoomlevel(value handle, value level) {
    return onWindow("browser_setzoomlevel", handle, [&](HostWindow& w) {
        w.zoomLevel = rt::fromC(level).toFloat();
        Json::Value p(Json::objectValue);
        p["pageScaleFactor"] = std::pow(1.2, w.zoomLevel);
        return pageCommand(w, "Emulation.setPageScaleFactor", p);
    });
}
value browser_getzoomlevel(value handle) {
    return onWindow("browser_getzoomlevel", handle,
                    [](HostWindow& w) { return Value(w.zoomLevel); });
}
value browser_hasdocument(value handle) {
    return onWindow("browser_hasdocument", handle, [](HostWindow& w) {
        FrameInfo* main = w.mainFrame();
        return Value(main != nullptr && !main->url.empty() && main->url != "about:blank");
    });
}
value browser_ispopup(value) {
    return guarded("browser_ispopup", [] { return Value(false); });
}
value browser_seteventhandle(value handle, value id, value on) {
    return onWindow("browser_seteventhandle", handle, [&](HostWindow& w) {
        w.setEventRegistered(rt::fromC(id).toInt(), rt::fromC(on).toBool());
        return Value();
    });
}

// ---- frames ----

value frame_geturl(CEFHX_FRAME_ARGS) {
    return onFrame("frame_geturl", CEFHX_FRAME_PASS,
                   [](HostWindow&, const FrameInfo& f) { return Value(f.url); });
}
value frame_getparentid(CEFHX_FRAME_ARGS) {
    return onFrame("frame_getparentid", CEFHX_FRAME_PASS, [](HostWindow& w, const FrameInfo& f) {
        FrameInfo* parent = f.parentId.empty() ? nullptr : w.frameById(f.parentId);
        return Value(parent ? parent->id : -1);
    });
}
value frame_getparentobj(CEFHX_FRAME_ARGS) {
    return onFrame("frame_getparentobj", CEFHX_FRAME_PASS,
                   [](HostWindow& w, const FrameInfo& f) -> Value {
                       FrameInfo* parent = f.parentId.empty() ? nullptr : w.frameById(f.parentId);
                       return parent ? frameRecord(*parent) : Value();
                   });
}
value frame_getidentifier(CEFHX_FRAME_ARGS) {
    return onFrame("frame_getidentifier", CEFHX_FRAME_PASS,
                   [](HostWindow&, const FrameInfo& f) { return Value(f.id); });
}
value frame_isfocused(CEFHX_FRAME_ARGS) {
    return onFrame("frame_isfocused", CEFHX_FRAME_PASS, [](HostWindow& w, const FrameInfo& f) {
        return Value(
            evaluateForValue(host(), w, f, "JSON.stringify(document.hasFocus())").toBool());
    });
}
value frame_invokejsfunc(CEFHX_FRAME_ARGS, value function, value args) {
    return onFrame("frame_invokejsfunc", CEFHX_FRAME_PASS, [&](HostWindow& w, const FrameInfo& f) {
        Value a = rt::fromC(args);
        std::string json = a.asArray() ? rt::Json::stringify(a) : "[]";
        return evaluateForValue(host(), w, f, invokeExpression(primitiveText(function), json));
    });
}
value frame_evaljavascript(CEFHX_FRAME_ARGS, value code) {
    return onFrame("frame_evaljavascript", CEFHX_FRAME_PASS,
                   [&](HostWindow& w, const FrameInfo& f) {
                       return evaluateForValue(host(), w, f, evalExpression(primitiveText(code)));
                   });
}
value frame_executejavascript(CEFHX_FRAME_ARGS, value code, value where) {
    return onFrame("frame_executejavascript", CEFHX_FRAME_PASS,
                   [&](HostWindow& w, const FrameInfo& f) {
                       std::string script = primitiveText(code);
                       std::string url(rt::fromC(where).get(field::kUrl).str());
                       if (!url.empty() && url.find_first_of("\r\n") == std::string::npos) {
                           script += "\n//# sourceURL=" + url;
                       }
                       runInFrame(host(), w, f, script);
                       return Value();
                   });
}
value frame_loadstring(CEFHX_FRAME_ARGS, value html, value) {
    return onFrame("frame_loadstring", CEFHX_FRAME_PASS, [&](HostWindow& w, const FrameInfo& f) {
        Json::Value p(Json::objectValue);
        p["frameId"] = f.frameId;
        p["html"] = primitiveText(html);
        return pageCommand(w, "Page.setDocumentContent", p);
    });
}
value frame_loadurl(CEFHX_FRAME_ARGS, value url) {
    return onFrame("frame_loadurl", CEFHX_FRAME_PASS, [&](HostWindow& w, const FrameInfo& f) {
        Json::Value p(Json::objectValue);
        p["url"] = pageAddress(primitiveText(url));
        if (!f.parentId.empty()) p["frameId"] = f.frameId;
        return pageCommand(w, "Page.navigate", p);
    });
}
value frame_gettext(CEFHX_FRAME_ARGS) {
    return onFrame("frame_gettext", CEFHX_FRAME_PASS, [](HostWindow& w, const FrameInfo& f) {
        return evaluateForValue(host(), w, f,
                                "JSON.stringify(document.body ? document.body.innerText : '')");
    });
}
value frame_getsource(CEFHX_FRAME_ARGS) {
    return onFrame("frame_getsource", CEFHX_FRAME_PASS, [](HostWindow& w, const FrameInfo& f) {
        return evaluateForValue(host(), w, f,
                                "JSON.stringify(document.documentElement ? "
                                "document.documentElement.outerHTML : '')");
    });
}
// Viewing the source and printing need browser chrome: accepted and ignored.
value frame_viewsource(CEFHX_FRAME_ARGS) {
    (void)handle, (void)isMain, (void)name;
    return nullptr;
}
value frame_print(CEFHX_FRAME_ARGS) {
    (void)handle, (void)isMain, (void)name;
    return nullptr;
}

value editCommand(const char* primitive, const char* command, CEFHX_FRAME_ARGS) {
    return onFrame(primitive, CEFHX_FRAME_PASS, [&](HostWindow& w, const FrameInfo& f) {
        runInFrame(host(), w, f, std::string("document.execCommand('") + command + "')");
        return Value();
    });
}
value frame_selectall(CEFHX_FRAME_ARGS) {
    return editCommand("frame_selectall", "selectAll", CEFHX_FRAME_PASS);
}
value frame_delete(CEFHX_FRAME_ARGS) {
    return editCommand("frame_delete", "delete", CEFHX_FRAME_PASS);
}
value frame_paste(CEFHX_FRAME_ARGS) {
    return editCommand("frame_paste", "paste", CEFHX_FRAME_PASS);
}
value frame_copy(CEFHX_FRAME_ARGS) {
    return editCommand("frame_copy", "copy", CEFHX_FRAME_PASS);
}
value frame_cut(CEFHX_FRAME_ARGS) {
    return editCommand("frame_cut", "cut", CEFHX_FRAME_PASS);
}
value frame_redo(CEFHX_FRAME_ARGS) {
    return editCommand("frame_redo", "redo", CEFHX_FRAME_PASS);
}
value frame_undo(CEFHX_FRAME_ARGS) {
    return editCommand("frame_undo", "undo", CEFHX_FRAME_PASS);
}

}  // namespace
}  // namespace cefhx

#define CEFHX_EXPORT_NAMESPACE cefhx
CEFHX_PRIMITIVES(CEFHX_EXPORT_PRIMITIVE)
CEFHX_EXPORT_PRIMITIVE(window_set_owner, 2)
