// The browser primitives (cef::CefBrowser), for every host.
#include <algorithm>

#include "platform/cefhx/primitive_support.h"
#include "platform/cefhx/primitives.h"
#include "runtime/array.h"

namespace cefhx::primitives {
namespace {

using rt::Value;

// A browser primitive that acts: the call goes to the backend first; null when the handle names
// no live window.
template <class F>
value act(const char* name, value handle, std::initializer_list<Value> args, F body) {
    return onWindowTraced(name, handle, args, [&](const SharedWindow& w) {
        body(*w);
        return Value();
    });
}

}  // namespace

value browser_sendfocusevent(value handle, value on) {
    return act("browser_sendfocusevent", handle, {arg(on)},
               [&](HostWindow& w) { hostBackend().setFocusEmulation(w, flagArg(on)); });
}
value browser_sendcapturelostevent(value handle) {
    return traced("browser_sendcapturelostevent", handle);
}
value browser_sendmousewheelevent(value handle, value x, value y, value dx, value dy) {
    return act("browser_sendmousewheelevent", handle, {arg(x), arg(y), arg(dx), arg(dy)},
               [&](HostWindow& w) {
                   hostBackend().mouseWheel(w, intArg(x), intArg(y), intArg(dx), intArg(dy));
               });
}
value browser_sendmousemoveevent(value handle, value x, value y, value leave) {
    return act("browser_sendmousemoveevent", handle, {arg(x), arg(y), arg(leave)},
               [&](HostWindow& w) { hostBackend().mouseMove(w, intArg(x), intArg(y)); });
}
value browser_sendmouseclickevent(value handle, value point, value button, value up, value count) {
    return act("browser_sendmouseclickevent", handle,
               {arg(point), arg(button), arg(up), arg(count)}, [&](HostWindow& w) {
                   const int b = intArg(button);
                   const Value at = arg(point);
                   hostBackend().mouseClick(
                       w, at.get(field::kX).toInt(), at.get(field::kY).toInt(),
                       b >= 0 && b < 3 ? static_cast<MouseButton>(b) : MouseButton::Left,
                       flagArg(up), std::max(1, intArg(count)));
               });
}
value browser_sendkeyevent(value handle, value type, value key, value modifiers) {
    return act("browser_sendkeyevent", handle, {arg(type), arg(key), arg(modifiers)},
               [&](HostWindow& w) {
                   const int t = intArg(type);
                   hostBackend().keyEvent(
                       w, t >= 0 && t < 3 ? static_cast<KeyEventType>(t) : KeyEventType::Up,
                       arg(key).get(field::kX).toInt(), intArg(modifiers));
               });
}
value browser_invalidate(value handle, value a, value b, value c, value d) {
    return traced("browser_invalidate", handle, a, b, c, d);
}
value browser_setsize(value handle, value type, value width, value height) {
    return onWindowTraced("browser_setsize", handle, {arg(type), arg(width), arg(height)},
                          [&](const SharedWindow& w) {
                              hostBackend().setBrowserSize(w, arg(width), arg(height));
                              return Value();
                          });
}
value browser_getsize(value handle, value) {
    // The program reads the answer without a null test: always a record.
    return guarded("browser_getsize", [&]() -> Value {
        SharedWindow w = windowOf(handle);
        int width = w ? w->intProperty(WindowProperty::Width) : 0;
        int height = w ? w->intProperty(WindowProperty::Height) : 0;
        return rt::Record::of({{field::kWidth, width}, {field::kHeight, height}});
    });
}
// Developer tools open only in a window with browser chrome; no host has one to show.
value browser_closedevtools(value handle) {
    return traced("browser_closedevtools", handle);
}
value browser_showdevtools(value handle) {
    return traced("browser_showdevtools", handle);
}
value browser_clearhistory(value handle) {
    return act("browser_clearhistory", handle, {},
               [](HostWindow& w) { hostBackend().clearHistory(w); });
}
value browser_stopfind(value handle) {
    return act("browser_stopfind", handle, {}, [](HostWindow& w) { hostBackend().stopFind(w); });
}
value browser_find(value handle, value id, value what, value forward, value options) {
    return act("browser_find", handle, {arg(id), arg(what), arg(forward), arg(options)},
               [&](HostWindow& w) {
                   hostBackend().find(w, primitiveText(what), arg(options).get(field::kX).toBool(),
                                      flagArg(forward));
               });
}
value browser_stopload(value handle) {
    return act("browser_stopload", handle, {}, [](HostWindow& w) { hostBackend().stopLoad(w); });
}
value browser_reload(value handle, value ignoreCache) {
    return act("browser_reload", handle, {arg(ignoreCache)},
               [&](HostWindow& w) { hostBackend().reload(w, flagArg(ignoreCache)); });
}
value browser_hidepopup(value handle) {
    return traced("browser_hidepopup", handle);
}
value browser_goforward(value handle) {
    return act("browser_goforward", handle, {}, [](HostWindow& w) { hostBackend().go(w, true); });
}
value browser_goback(value handle) {
    return act("browser_goback", handle, {}, [](HostWindow& w) { hostBackend().go(w, false); });
}
value browser_getmainframeid(value handle) {
    return guarded("browser_getmainframeid", [&]() -> Value {
        SharedWindow w = windowOf(handle);
        FrameInfo* main = w && w->browserReady ? w->mainFrame() : nullptr;
        return main ? main->id : -1;
    });
}
value browser_getframenames(value handle) {
    return onWindow("browser_getframenames", handle, [](const SharedWindow& w) -> Value {
        rt::Ref<rt::Array> names = rt::make<rt::Array>();
        for (const FrameInfo& f : w->frames) names->push(f.name);
        return names;
    });
}
value browser_getframeobj(value handle, value name) {
    return onWindow("browser_getframeobj", handle, [&](const SharedWindow& w) -> Value {
        FrameInfo* f = w->frameByName(primitiveText(name));
        return f ? frameRecord(*f) : Value();
    });
}
value browser_getfocusedframeobj(value handle) {
    // Frame focus is not reported; the main frame stands for the focused one.
    return onWindow("browser_getfocusedframeobj", handle, [](const SharedWindow& w) -> Value {
        FrameInfo* f = w->mainFrame();
        return f ? frameRecord(*f) : Value();
    });
}
value browser_setfocus(value handle, value on) {
    return act("browser_setfocus", handle, {arg(on)},
               [&](HostWindow& w) { hostBackend().setFocus(w, flagArg(on)); });
}
value browser_getcangoforward(value handle) {
    return onWindow("browser_getcangoforward", handle,
                    [](const SharedWindow& w) { return Value(hostBackend().canGo(*w, true)); });
}
value browser_getcangoback(value handle) {
    return onWindow("browser_getcangoback", handle,
                    [](const SharedWindow& w) { return Value(hostBackend().canGo(*w, false)); });
}
value browser_getispopupvisible(value) {
    return guarded("browser_getispopupvisible", [] { return Value(false); });
}
value browser_iswindowrenderingdisabled(value) {
    return guarded("browser_iswindowrenderingdisabled", [] { return Value(false); });
}
value browser_setzoomlevel(value handle, value level) {
    return act("browser_setzoomlevel", handle, {arg(level)}, [&](HostWindow& w) {
        w.zoomLevel = arg(level).toFloat();
        hostBackend().applyZoom(w);
    });
}
value browser_getzoomlevel(value handle) {
    return onWindow("browser_getzoomlevel", handle,
                    [](const SharedWindow& w) { return Value(w->zoomLevel); });
}
value browser_hasdocument(value handle) {
    return onWindow("browser_hasdocument", handle,
                    [](const SharedWindow& w) { return Value(hostBackend().hasDocument(*w)); });
}
value browser_ispopup(value) {
    return guarded("browser_ispopup", [] { return Value(false); });
}
value browser_seteventhandle(value handle, value id, value on) {
    return act("browser_seteventhandle", handle, {arg(id), arg(on)},
               [&](HostWindow& w) { w.setEventRegistered(intArg(id), flagArg(on)); });
}

}  // namespace cefhx::primitives
