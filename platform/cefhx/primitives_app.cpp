// The application's primitives (cef::CefApp), for every host. cef_app_posttask, which any
// thread may call, is with the window primitives.
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/cefhx/primitive_support.h"
#include "platform/cefhx/primitives.h"
#include "platform/cefhx/system_metrics.h"
#include "runtime/ansi.h"
#include "runtime/array.h"

namespace cefhx::primitives {

using rt::Value;

value cef_app_main(value ready, value settings) {
    return guarded("cef_app_main", [&] {
        trace("cef_app_main", nullptr, {arg(settings)});
        hostBackend().runMain(arg(ready), arg(settings));
        return Value();
    });
}
value cef_app_quit() {
    return guarded("cef_app_quit", [] {
        trace("cef_app_quit", nullptr, {});
        hostBackend().requestQuit();
        return Value();
    });
}
value cef_app_setglobalapp(value app) {
    return guarded("cef_app_setglobalapp", [&] {
        trace("cef_app_setglobalapp", nullptr, {arg(app)});
        return Value();
    });
}
value cef_getsystemmetrics(value index) {
    return guarded("cef_getsystemmetrics", [&] {
        const ScreenSize screen = hostBackend().screen();
        return Value(systemMetric(intArg(index), screen.width, screen.height));
    });
}
value cef_unicode2ansi(value s) {
    return guarded("cef_unicode2ansi", [&]() -> Value {
        Value v = arg(s);
        return v.isNull() ? Value() : Value(rt::utf8ToAnsi(v.str()));
    });
}
value cef_ansi2unicode(value s) {
    return guarded("cef_ansi2unicode", [&]() -> Value {
        Value v = arg(s);
        return v.isNull() ? Value() : Value(rt::ansiToUtf8(v.str()));
    });
}
value cef_setosmodalloop(value on) {
    return guarded("cef_setosmodalloop", [&] {
        trace("cef_setosmodalloop", nullptr, {arg(on)});
        return Value();
    });
}
value cef_app_registerhotkey(value window, value name, value modifiers, value key) {
    return guarded("cef_app_registerhotkey", [&] {
        traceOn("cef_app_registerhotkey", window, {arg(name), arg(modifiers), arg(key)});
        return Value(hostBackend().registerHotKey(windowOf(window), primitiveText(name),
                                                  intArg(modifiers), intArg(key)));
    });
}
value cef_app_unregisterhotkey(value window, value name) {
    return guarded("cef_app_unregisterhotkey", [&] {
        traceOn("cef_app_unregisterhotkey", window, {arg(name)});
        return Value(hostBackend().unregisterHotKey(windowOf(window), primitiveText(name)));
    });
}
value cef_app_registeinstance(value name) {
    return guarded("cef_app_registeinstance", [&] {
        const bool first = hostBackend().claimInstance(primitiveText(name));
        trace("cef_app_registeinstance", nullptr, {arg(name), Value("->"), Value(first)});
        return Value(first);
    });
}
value cef_app_closeprocess(value name) {
    return guarded("cef_app_closeprocess", [&] {
        trace("cef_app_closeprocess", nullptr, {arg(name)});
        return Value(hostBackend().closeProcesses(primitiveText(name)));
    });
}
value cef_app_closeprocessbyid(value id) {
    return guarded("cef_app_closeprocessbyid", [&] {
        trace("cef_app_closeprocessbyid", nullptr, {arg(id)});
        return Value(hostBackend().closeProcess(intArg(id)));
    });
}
value cef_app_sendmessage(value target, value message, value number) {
    return guarded("cef_app_sendmessage", [&] {
        Value t = arg(target);
        trace("cef_app_sendmessage", nullptr, {t, arg(message), arg(number)});
        // The target window's number, as a number or as its text (cef_app_gethwndstr).
        long to = t.isNumber() ? t.toInt() : std::strtol(std::string(t.str()).c_str(), nullptr, 10);
        if (to > 0) hostBackend().sendMessage(to, primitiveText(message), intArg(number));
        return Value();
    });
}
value cef_app_gethwndstr(value handle) {
    return guarded("cef_app_gethwndstr", [&]() -> Value {
        Value h = arg(handle);
        return h.isNumber() ? Value(std::to_string(h.toInt())) : Value();
    });
}
value cef_app_currentlyon(value thread) {
    // Thread 0 is the UI thread, the one running the message loop; a host has no other.
    return guarded("cef_app_currentlyon",
                   [&] { return Value(intArg(thread) == 0 && ml_is_loop_thread() != 0); });
}
value cef_app_setfilterpath(value paths) {
    return guarded("cef_app_setfilterpath", [&] {
        Value given = arg(paths);
        trace("cef_app_setfilterpath", nullptr, {given});
        std::vector<std::string> list;
        if (rt::Ref<rt::Array> a = given.asArray()) {
            for (const Value& p : a->items()) {
                if (p.isString() && !p.str().empty()) list.emplace_back(p.str());
            }
        }
        hostBackend().setFilterPaths(std::move(list));
        return Value();
    });
}

}  // namespace cefhx::primitives
