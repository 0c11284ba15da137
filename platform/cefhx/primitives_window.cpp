// The window primitives (cef::CefWindow), for every host.
#include "platform/cefhx/primitive_support.h"
#include "platform/cefhx/primitives.h"

namespace cefhx::primitives {

using rt::Value;

value cef_window_create(value width, value height, value flags, value window, value browser) {
    return guarded("cef_window_create", [&] {
        Value object = arg(window);
        trace("cef_window_create", nullptr,
              {arg(width), arg(height), arg(flags), object.get("url")});
        return hostBackend().createWindow(intArg(width), intArg(height), intArg(flags), object,
                                          arg(browser));
    });
}
value cef_window_close(value handle) {
    return onWindowTraced("cef_window_close", handle, {}, [](const SharedWindow& w) {
        return Value(hostBackend().closeWindow(w));
    });
}
value cef_window_show(value handle, value visible, value b, value c, value a) {
    return onWindowTraced("cef_window_show", handle, {arg(visible), arg(b), arg(c), arg(a)},
                          [&](const SharedWindow& w) {
                              hostBackend().showWindow(w, flagArg(visible));
                              return Value();
                          });
}
value window_set_prop(value handle, value id, value v) {
    return onWindowTraced("window_set_prop", handle, {arg(id), arg(v)}, [&](const SharedWindow& w) {
        hostBackend().setProperty(w, static_cast<WindowProperty>(intArg(id)), arg(v));
        return arg(v);
    });
}
value window_get_prop(value handle, value id) {
    return onWindow("window_get_prop", handle, [&](const SharedWindow& w) {
        return w->property(static_cast<WindowProperty>(intArg(id)));
    });
}
value window_set_title(value handle, value title) {
    return onWindowTraced("window_set_title", handle, {arg(title)}, [&](const SharedWindow& w) {
        hostBackend().setNativeTitle(w, primitiveText(title));
        return Value();
    });
}
value window_drag(value handle) {
    return onWindowTraced("window_drag", handle, {}, [](const SharedWindow& w) {
        hostBackend().dragWindow(w, MoveResize::Move);
        return Value();
    });
}
value window_resize(value handle, value edge) {
    return onWindowTraced("window_resize", handle, {arg(edge)}, [&](const SharedWindow& w) {
        hostBackend().dragWindow(w, resizeDirection(intArg(edge)));
        return Value();
    });
}
value window_setround(value handle, value rect, value size) {
    return onWindowTraced("window_setround", handle, {arg(rect), arg(size)},
                          [&](const SharedWindow& w) {
                              Value r = arg(rect);
                              Value s = arg(size);
                              // The rect's four numbers are its left, top, right and bottom; the
                              // size is the corner's.
                              hostBackend().setWindowRound(
                                  w, r.get(field::kX).toInt(), r.get(field::kY).toInt(),
                                  r.get(field::kWidth).toInt(), r.get(field::kHeight).toInt(),
                                  s.get(field::kWidth).toInt(), s.get(field::kHeight).toInt());
                              return Value();
                          });
}
value window_onresloaded(value handle, value record) {
    return onWindowTraced("window_onresloaded", handle, {arg(record)}, [&](const SharedWindow& w) {
        w->resourceAnswer = arg(record);
        return Value();
    });
}
value window_set_message_hook(value handle, value on) {
    return onWindowTraced("window_set_message_hook", handle, {arg(on)}, [&](const SharedWindow& w) {
        w->messageHook = flagArg(on);
        return Value();
    });
}
value cef_app_posttask(value handle, value delay) {
    // Any thread: the window is looked up when the task runs.
    return guarded("cef_app_posttask", [&] {
        Value h = arg(handle);
        trace("cef_app_posttask", nullptr, {h, arg(delay)});
        if (!h.isNumber()) return Value(false);
        return Value(hostBackend().postTask(static_cast<ml_hwnd>(h.toInt()), arg(delay)));
    });
}

}  // namespace cefhx::primitives
