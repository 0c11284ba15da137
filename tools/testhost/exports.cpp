// The primitives of the test host, exported as "name__N" under the same names and argument
// counts as the browser host's, so the program binds and starts on either. Every call is
// recorded; nothing thrown crosses the C interface.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "platform/cefhx/primitive_support.h"
#include "platform/cefhx/system_metrics.h"
#include "runtime/ansi.h"
#include "runtime/array.h"
#include "runtime/c_value.h"
#include "runtime/record.h"
#include "tools/testhost/record.h"
#include "tools/testhost/test_host.h"

namespace testhost {
namespace {

namespace field = cefhx::field;
using cefhx::FrameInfo;
using cefhx::WindowProperty;
using rt::Value;

// The screen the host presents.
constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;

TestHost& host() {
    return TestHost::instance();
}

using namespace cefhx::requests;
using cefhx::frameRecord;
using cefhx::primitiveText;

template <class F>
value guarded(const char* name, F body) {
    return cefhx::guardedPrimitive(name, body, [](const std::string& failure) {
        Record::instance().write("FAIL", "", failure);
    });
}

// Records the call: the primitive, the window its handle names, the other arguments.
void note(const char* name, value handle, std::initializer_list<Value> args) {
    Record::instance().write(name, host().labelOf(rt::fromC(handle)), describeAll(args));
}
void noteApp(const char* name, std::initializer_list<Value> args) {
    Record::instance().write(name, "", describeAll(args));
}

// Records the call and runs `body` on the window the handle names; null when it names none.
template <class F>
value onWindow(const char* name, value handle, std::initializer_list<Value> args, F body) {
    return guarded(name, [&]() -> Value {
        note(name, handle, args);
        std::shared_ptr<HostWindow> w = host().window(rt::fromC(handle));
        if (!w || w->destroying) return {};
        return body(w);
    });
}

// A primitive that is recorded and answers null.
template <class... A>
value recorded(const char* name, value handle, A... args) {
    return guarded(name, [&]() -> Value {
        note(name, handle, {rt::fromC(args)...});
        return {};
    });
}

// The main frame, the only one a test-host window has; the program asks for others by name.
template <class F>
value onFrame(const char* name, value handle, value isMain, value frameName,
              std::initializer_list<Value> args, F body) {
    return onWindow(name, handle, args, [&](const std::shared_ptr<HostWindow>& w) -> Value {
        FrameInfo* f = w->frameFor(rt::fromC(isMain).toBool(), primitiveText(frameName));
        if (!f) return {};
        return body(*w, *f);
    });
}

// ---- application ----

value cef_app_main(value ready, value settings) {
    return guarded("cef_app_main", [&] {
        noteApp("cef_app_main", {rt::fromC(settings)});
        host().runMain(rt::fromC(ready));
        return Value();
    });
}
value cef_app_quit() {
    return guarded("cef_app_quit", [] {
        noteApp("cef_app_quit", {});
        host().requestQuit();
        return Value();
    });
}
value cef_app_setglobalapp(value app) {
    return guarded("cef_app_setglobalapp", [&] {
        noteApp("cef_app_setglobalapp", {rt::fromC(app)});
        return Value();
    });
}
value cef_getsystemmetrics(value index) {
    return guarded("cef_getsystemmetrics", [&] {
        return Value(cefhx::systemMetric(rt::fromC(index).toInt(), kScreenWidth, kScreenHeight));
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
value cef_setosmodalloop(value on) {
    return guarded("cef_setosmodalloop", [&] {
        noteApp("cef_setosmodalloop", {rt::fromC(on)});
        return Value();
    });
}
value cef_app_registerhotkey(value handle, value name, value a, value b) {
    // As the browser host: no window system grants global hot keys here.
    return guarded("cef_app_registerhotkey", [&] {
        note("cef_app_registerhotkey", handle, {rt::fromC(name), rt::fromC(a), rt::fromC(b)});
        return Value(-1);
    });
}
value cef_app_unregisterhotkey(value handle, value name) {
    return guarded("cef_app_unregisterhotkey", [&] {
        note("cef_app_unregisterhotkey", handle, {rt::fromC(name)});
        return Value(false);
    });
}
value cef_app_registeinstance(value name) {
    return guarded("cef_app_registeinstance", [&] {
        bool first = host().claimInstance(primitiveText(name));
        noteApp("cef_app_registeinstance", {rt::fromC(name), Value("->"), Value(first)});
        return Value(first);
    });
}
value cef_app_closeprocess(value name) {
    return guarded("cef_app_closeprocess", [&] {
        noteApp("cef_app_closeprocess", {rt::fromC(name)});
        return Value(false);
    });
}
value cef_app_closeprocessbyid(value id) {
    return guarded("cef_app_closeprocessbyid", [&] {
        noteApp("cef_app_closeprocessbyid", {rt::fromC(id)});
        return Value(false);
    });
}
value cef_app_sendmessage(value target, value message, value number) {
    return guarded("cef_app_sendmessage", [&] {
        noteApp("cef_app_sendmessage", {rt::fromC(target), rt::fromC(message), rt::fromC(number)});
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
    return guarded("cef_app_currentlyon", [&] {
        return Value(rt::fromC(thread).toInt() == 0 && ml_is_loop_thread() != 0);
    });
}
value cef_app_setfilterpath(value paths) {
    return guarded("cef_app_setfilterpath", [&] {
        noteApp("cef_app_setfilterpath", {rt::fromC(paths)});
        return Value();
    });
}

// ---- windows ----

value cef_window_create(value width, value height, value flags, value window, value browser) {
    return guarded("cef_window_create", [&] {
        Value object = rt::fromC(window);
        noteApp("cef_window_create",
                {rt::fromC(width), rt::fromC(height), rt::fromC(flags), object.get("url")});
        return host().createWindow(rt::fromC(width).toInt(), rt::fromC(height).toInt(),
                                   rt::fromC(flags).toInt(), object, rt::fromC(browser));
    });
}
value cef_window_close(value handle) {
    return onWindow("cef_window_close", handle, {}, [](const std::shared_ptr<HostWindow>& w) {
        return Value(host().closeWindow(w));
    });
}
value cef_window_show(value handle, value visible, value b, value c, value a) {
    return onWindow("cef_window_show", handle,
                    {rt::fromC(visible), rt::fromC(b), rt::fromC(c), rt::fromC(a)},
                    [&](const std::shared_ptr<HostWindow>& w) {
                        w->visible = rt::fromC(visible).toBool();
                        return Value();
                    });
}
value window_set_prop(value handle, value id, value v) {
    return onWindow("window_set_prop", handle, {rt::fromC(id), rt::fromC(v)},
                    [&](const std::shared_ptr<HostWindow>& w) {
                        host().setProperty(w, static_cast<WindowProperty>(rt::fromC(id).toInt()),
                                           rt::fromC(v));
                        return rt::fromC(v);
                    });
}
value window_get_prop(value handle, value id) {
    return guarded("window_get_prop", [&]() -> Value {
        std::shared_ptr<HostWindow> w = host().window(rt::fromC(handle));
        if (!w || w->destroying) return {};
        return w->property(static_cast<WindowProperty>(rt::fromC(id).toInt()));
    });
}
value window_set_title(value handle, value title) {
    return onWindow("window_set_title", handle, {rt::fromC(title)},
                    [&](const std::shared_ptr<HostWindow>& w) {
                        w->nativeTitle = primitiveText(title);
                        return Value();
                    });
}
value window_drag(value handle) {
    return recorded("window_drag", handle);
}
value window_resize(value handle, value edge) {
    return recorded("window_resize", handle, edge);
}
value window_setround(value handle, value rect, value size) {
    return recorded("window_setround", handle, rect, size);
}
value window_onresloaded(value handle, value record) {
    return onWindow("window_onresloaded", handle, {rt::fromC(record)},
                    [&](const std::shared_ptr<HostWindow>& w) {
                        w->resourceAnswer = rt::fromC(record);
                        return Value();
                    });
}
value window_set_message_hook(value handle, value on) {
    return onWindow("window_set_message_hook", handle, {rt::fromC(on)},
                    [&](const std::shared_ptr<HostWindow>& w) {
                        w->messageHook = rt::fromC(on).toBool();
                        return Value();
                    });
}
value cef_app_posttask(value handle, value delay) {
    // Any thread: the record is locked, the window is looked up when the task runs.
    return guarded("cef_app_posttask", [&] {
        Value h = rt::fromC(handle);
        Record::instance().write("cef_app_posttask", "", describeAll({{h, rt::fromC(delay)}}));
        if (!h.isNumber()) return Value(false);
        return Value(TestHost::postTask(static_cast<ml_hwnd>(h.toInt()), rt::fromC(delay)));
    });
}

// ---- browsers ----

value browser_sendfocusevent(value handle, value on) {
    return recorded("browser_sendfocusevent", handle, on);
}
value browser_sendcapturelostevent(value handle) {
    return recorded("browser_sendcapturelostevent", handle);
}
value browser_sendmousewheelevent(value handle, value x, value y, value dx, value dy) {
    return recorded("browser_sendmousewheelevent", handle, x, y, dx, dy);
}
value browser_sendmousemoveevent(value handle, value x, value y, value leave) {
    return recorded("browser_sendmousemoveevent", handle, x, y, leave);
}
value browser_sendmouseclickevent(value handle, value point, value button, value up, value count) {
    return recorded("browser_sendmouseclickevent", handle, point, button, up, count);
}
value browser_sendkeyevent(value handle, value type, value key, value modifiers) {
    return recorded("browser_sendkeyevent", handle, type, key, modifiers);
}
value browser_invalidate(value handle, value a, value b, value c, value d) {
    return recorded("browser_invalidate", handle, a, b, c, d);
}
value browser_setsize(value handle, value type, value width, value height) {
    return recorded("browser_setsize", handle, type, width, height);
}
value browser_getsize(value handle, value) {
    // The program reads the answer without a null test: always a record.
    return guarded("browser_getsize", [&]() -> Value {
        std::shared_ptr<HostWindow> w = host().window(rt::fromC(handle));
        int width = w ? w->intProperty(WindowProperty::Width) : 0;
        int height = w ? w->intProperty(WindowProperty::Height) : 0;
        return rt::Record::of({{field::kWidth, width}, {field::kHeight, height}});
    });
}
value browser_closedevtools(value handle) {
    return recorded("browser_closedevtools", handle);
}
value browser_showdevtools(value handle) {
    return recorded("browser_showdevtools", handle);
}
value browser_clearhistory(value handle) {
    return recorded("browser_clearhistory", handle);
}
value browser_stopfind(value handle) {
    return recorded("browser_stopfind", handle);
}
value browser_find(value handle, value id, value what, value forward, value options) {
    return recorded("browser_find", handle, id, what, forward, options);
}
value browser_stopload(value handle) {
    return recorded("browser_stopload", handle);
}
value browser_reload(value handle, value ignoreCache) {
    return recorded("browser_reload", handle, ignoreCache);
}
value browser_hidepopup(value handle) {
    return recorded("browser_hidepopup", handle);
}
value browser_goforward(value handle) {
    return recorded("browser_goforward", handle);
}
value browser_goback(value handle) {
    return recorded("browser_goback", handle);
}
value browser_getmainframeid(value handle) {
    return guarded("browser_getmainframeid", [&]() -> Value {
        std::shared_ptr<HostWindow> w = host().window(rt::fromC(handle));
        FrameInfo* main = w && w->browserReady ? w->mainFrame() : nullptr;
        return main ? main->id : -1;
    });
}
value browser_getframenames(value handle) {
    return guarded("browser_getframenames", [&]() -> Value {
        std::shared_ptr<HostWindow> w = host().window(rt::fromC(handle));
        if (!w) return {};
        rt::Ref<rt::Array> names = rt::make<rt::Array>();
        for (const FrameInfo& f : w->frames) names->push(f.name);
        return names;
    });
}
value browser_getframeobj(value handle, value name) {
    return guarded("browser_getframeobj", [&]() -> Value {
        std::shared_ptr<HostWindow> w = host().window(rt::fromC(handle));
        FrameInfo* f = w ? w->frameByName(primitiveText(name)) : nullptr;
        return f ? frameRecord(*f) : Value();
    });
}
value browser_getfocusedframeobj(value handle) {
    return guarded("browser_getfocusedframeobj", [&]() -> Value {
        std::shared_ptr<HostWindow> w = host().window(rt::fromC(handle));
        FrameInfo* f = w ? w->mainFrame() : nullptr;
        return f ? frameRecord(*f) : Value();
    });
}
value browser_setfocus(value handle, value on) {
    return recorded("browser_setfocus", handle, on);
}
value browser_getcangoforward(value) {
    return guarded("browser_getcangoforward", [] { return Value(false); });
}
value browser_getcangoback(value) {
    return guarded("browser_getcangoback", [] { return Value(false); });
}
value browser_getispopupvisible(value) {
    return guarded("browser_getispopupvisible", [] { return Value(false); });
}
value browser_iswindowrenderingdisabled(value) {
    return guarded("browser_iswindowrenderingdisabled", [] { return Value(false); });
}
value browser_setzoomlevel(value handle, value level) {
    return onWindow("browser_setzoomlevel", handle, {rt::fromC(level)},
                    [&](const std::shared_ptr<HostWindow>& w) {
                        w->zoomLevel = rt::fromC(level).toFloat();
                        return Value();
                    });
}
value browser_getzoomlevel(value handle) {
    return guarded("browser_getzoomlevel", [&]() -> Value {
        std::shared_ptr<HostWindow> w = host().window(rt::fromC(handle));
        return w ? Value(w->zoomLevel) : Value();
    });
}
value browser_hasdocument(value handle) {
    return guarded("browser_hasdocument", [&] {
        std::shared_ptr<HostWindow> w = host().window(rt::fromC(handle));
        return Value(w && w->browserReady && !w->startUrl.empty());
    });
}
value browser_ispopup(value) {
    return guarded("browser_ispopup", [] { return Value(false); });
}
value browser_seteventhandle(value handle, value id, value on) {
    return onWindow("browser_seteventhandle", handle, {rt::fromC(id), rt::fromC(on)},
                    [&](const std::shared_ptr<HostWindow>& w) {
                        w->setEventRegistered(rt::fromC(id).toInt(), rt::fromC(on).toBool());
                        return Value();
                    });
}

// ---- frames ----

// A frame primitive that is recorded and answers null.
value frameRecorded(const char* primitive, CEFHX_FRAME_ARGS) {
    return onFrame(primitive, CEFHX_FRAME_PASS, {rt::fromC(isMain), rt::fromC(name)},
                   [](HostWindow&, const FrameInfo&) { return Value(); });
}

value frame_geturl(CEFHX_FRAME_ARGS) {
    return guarded("frame_geturl", [&]() -> Value {
        std::shared_ptr<HostWindow> w = host().window(rt::fromC(handle));
        FrameInfo* f = w ? w->frameFor(rt::fromC(isMain).toBool(), primitiveText(name)) : nullptr;
        return f ? Value(f->url) : Value();
    });
}
value frame_getparentid(CEFHX_FRAME_ARGS) {
    (void)handle, (void)isMain, (void)name;
    return guarded("frame_getparentid", [] { return Value(-1); });
}
value frame_getparentobj(CEFHX_FRAME_ARGS) {
    (void)handle, (void)isMain, (void)name;
    return nullptr;
}
value frame_getidentifier(CEFHX_FRAME_ARGS) {
    return guarded("frame_getidentifier", [&]() -> Value {
        std::shared_ptr<HostWindow> w = host().window(rt::fromC(handle));
        FrameInfo* f = w ? w->frameFor(rt::fromC(isMain).toBool(), primitiveText(name)) : nullptr;
        return f ? Value(f->id) : Value();
    });
}
value frame_isfocused(CEFHX_FRAME_ARGS) {
    (void)handle, (void)name;
    return guarded("frame_isfocused", [&] { return Value(rt::fromC(isMain).toBool()); });
}
value frame_invokejsfunc(CEFHX_FRAME_ARGS, value function, value args) {
    Value fn = rt::fromC(function);
    Value a = rt::fromC(args);
    return onFrame("invoke", CEFHX_FRAME_PASS, {fn, a}, [&](HostWindow&, const FrameInfo&) {
        return host().pageAnswer(primitiveText(function));
    });
}
value frame_evaljavascript(CEFHX_FRAME_ARGS, value code) {
    return onFrame("eval", CEFHX_FRAME_PASS, {rt::fromC(code)}, [&](HostWindow&, const FrameInfo&) {
        return host().pageAnswer(primitiveText(code));
    });
}
value frame_executejavascript(CEFHX_FRAME_ARGS, value code, value where) {
    return onFrame("execute", CEFHX_FRAME_PASS,
                   {rt::fromC(code), rt::fromC(where).get(field::kUrl)},
                   [](HostWindow&, const FrameInfo&) { return Value(); });
}
value frame_loadstring(CEFHX_FRAME_ARGS, value html, value url) {
    return onFrame("frame_loadstring", CEFHX_FRAME_PASS, {rt::fromC(html), rt::fromC(url)},
                   [](HostWindow&, const FrameInfo&) { return Value(); });
}
value frame_loadurl(CEFHX_FRAME_ARGS, value url) {
    return onFrame("frame_loadurl", CEFHX_FRAME_PASS, {rt::fromC(url)},
                   [&](HostWindow&, FrameInfo& f) {
                       f.url = primitiveText(url);
                       return Value();
                   });
}
value frame_gettext(CEFHX_FRAME_ARGS) {
    return onFrame("frame_gettext", CEFHX_FRAME_PASS, {},
                   [](HostWindow&, const FrameInfo&) { return Value(""); });
}
value frame_getsource(CEFHX_FRAME_ARGS) {
    return onFrame("frame_getsource", CEFHX_FRAME_PASS, {},
                   [](HostWindow&, const FrameInfo&) { return Value(""); });
}
value frame_viewsource(CEFHX_FRAME_ARGS) {
    return frameRecorded("frame_viewsource", CEFHX_FRAME_PASS);
}
value frame_print(CEFHX_FRAME_ARGS) {
    return frameRecorded("frame_print", CEFHX_FRAME_PASS);
}
value frame_selectall(CEFHX_FRAME_ARGS) {
    return frameRecorded("frame_selectall", CEFHX_FRAME_PASS);
}
value frame_delete(CEFHX_FRAME_ARGS) {
    return frameRecorded("frame_delete", CEFHX_FRAME_PASS);
}
value frame_paste(CEFHX_FRAME_ARGS) {
    return frameRecorded("frame_paste", CEFHX_FRAME_PASS);
}
value frame_copy(CEFHX_FRAME_ARGS) {
    return frameRecorded("frame_copy", CEFHX_FRAME_PASS);
}
value frame_cut(CEFHX_FRAME_ARGS) {
    return frameRecorded("frame_cut", CEFHX_FRAME_PASS);
}
value frame_redo(CEFHX_FRAME_ARGS) {
    return frameRecorded("frame_redo", CEFHX_FRAME_PASS);
}
value frame_undo(CEFHX_FRAME_ARGS) {
    return frameRecorded("frame_undo", CEFHX_FRAME_PASS);
}

}  // namespace
}  // namespace testhost

#define CEFHX_EXPORT_NAMESPACE testhost
CEFHX_PRIMITIVES(CEFHX_EXPORT_PRIMITIVE)
