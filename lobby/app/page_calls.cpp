#include "lobby/app/page_calls.h"

#include <utility>

#include "lobby/app/main.h"
#include "lobby/bindings/cef/cef_browser.h"
#include "lobby/bindings/value_access.h"
#include "runtime/function.h"

namespace lobby {

rt::Value arg(const rt::Ref<rt::Array>& args, int index) {
    if (!args || index < 0 || index >= args->size()) return {};
    return args->get(index);
}

int argCount(const rt::Ref<rt::Array>& args) {
    return args ? args->size() : 0;
}

rt::Ref<rt::Array> argsFrom(const rt::Ref<rt::Array>& args, int from) {
    rt::Ref<rt::Array> out = rt::make<rt::Array>();
    for (int i = from; i < argCount(args); ++i) out->push(args->get(i));
    return out;
}

std::optional<std::string> textOf(const rt::Value& v) {
    return rt::Convert<std::optional<std::string>>::from(v);
}

rt::Ref<cef::CefFrame> mainFrameOf(const rt::Ref<cef::CefWindow>& window) {
    if (!window) return nullptr;
    rt::Ref<cef::CefBrowser> browser = window->get_cefBrowser();
    return browser ? browser->getMainFrame() : nullptr;
}

rt::Value callPageFunction(const rt::Ref<cef::CefWindow>& window, const std::string& function,
                           const rt::Value& args) {
    rt::Ref<cef::CefFrame> frame = mainFrameOf(window);
    return frame ? frame->invokeJsFunc(function, args) : rt::Value();
}

rt::Value invokeFrom(const rt::Ref<cef::CefWindow>& window, const std::string& function,
                     const rt::Ref<rt::Array>& args, int from) {
    return callPageFunction(window, function,
                            argCount(args) > from ? rt::Value(argsFrom(args, from)) : rt::Value());
}

// By the windows' by-name `check`, as Main::getGameWindow asks it: the game window class is
// not known here, below the game windows.
rt::Value gameWindowOf(const rt::Ref<rt::Array>& args, int first) {
    if (!Main::gamesWindow) return {};
    const rt::Value key[] = {arg(args, first).toInt(), arg(args, first + 1).toInt(),
                             arg(args, first + 2).toInt()};
    for (const rt::Value& window : Main::gamesWindow->items()) {
        if (window.callMember("check", key).toBool()) return window;
    }
    return {};
}

rt::Value memberHandler(const rt::Ref<cef::CefWindow>& window, std::string name) {
    rt::WeakRef<cef::CefWindow> weak(window);
    return rt::Function::of(name, [weak, name](std::span<const rt::Value> args) -> rt::Value {
        rt::Ref<cef::CefWindow> target = weak.lock();
        if (!target) return {};
        return target->call(name, args);
    });
}

}  // namespace lobby
