#include "lobby/games/unity_game_window.h"

#include <algorithm>

#include "lobby/app/app_windows.h"
#include "lobby/app/config.h"
#include "lobby/app/lobby_window.h"
#include "lobby/app/screen_metrics.h"
#include "lobby/bindings/cef/cef_browser.h"
#include "lobby/bindings/cef/rect.h"
#include "lobby/bindings/cef/size.h"
#include "lobby/games/game_page.h"
#include "runtime/class_builder.h"
#include "runtime/convert.h"
#include "runtime/create.h"

namespace lobby {

namespace {

constexpr int32_t kMaxWidth = 1285;
constexpr int32_t kMaxHeight = 768;

// A browser-event handler that calls the window's member by name, holding the window weakly
// (the browser that keeps the handler is the window's own).
rt::Value memberCall(cef::CefWindow& window, std::string name) {
    rt::WeakRef<cef::CefWindow> weak{rt::Ref<cef::CefWindow>(&window)};
    return rt::Value(rt::Function::of(name, [weak, name](std::span<const rt::Value> args) {
        rt::Ref<cef::CefWindow> target = weak.lock();
        return target ? rt::Value(target).callMember(name, args) : rt::Value();
    }));
}

}  // namespace

void UnityGameWindow::construct(rt::Value info, rt::Value room, bool fixSeat, rt::Value deskNo,
                                rt::Value seatNo, std::string uid) {
    games::enterAppFolder();
    const std::string page =
        "/gameunity.html?url=" + games::queryEscaped(games::textField(info, "unityurl")) +
        "&ad=" + games::queryEscaped(games::fieldOf(Config::remoteConfigs, "ad").toString()) +
        "&deskno=" + std::to_string(deskNo.toInt()) + "&seatno=" + std::to_string(seatNo.toInt()) +
        "&uid=" + games::queryEscaped(uid) +
        "&name=" + games::queryEscaped(games::textField(info, "name"));
    GameWindow::construct(info, room, fixSeat, page, 1290, 738);
    games::enterAppFolder();
    windowMode = games::intField(gameInfo, "wmode");
}

rt::Value UnityGameWindow::onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) {
    if (name == "sendGameDataToServer") {
        sendGameDataToServer(arg(args, 0));
        return {};
    }
    return GameWindow::onJsCallBack(name, args);
}

void UnityGameWindow::sendGameDataToServer(rt::Value data) {
    if (appWindows().lobbyWindow) {
        appWindows().lobbyWindow->sendGameDataToServer(gameType(), roomType(), roomLevel(), data);
    }
}

bool UnityGameWindow::onClose() {
    if (appWindows().lobbyWindow) {
        appWindows().lobbyWindow->onAccountEvent(gameType(), roomType(), roomLevel(),
                                                 "wnd_game_leave");
    }
    restoreLobby();
    return true;
}

bool UnityGameWindow::onSize() {
    setRound(rt::create<cef::Rect>(0, 0, get_width() + 1, get_height() + 1),
             rt::create<cef::Size>(5.0, 5.0));
    return true;
}

void UnityGameWindow::onCreate() {
    if (rt::Ref<cef::CefBrowser> browser = get_cefBrowser()) {
        browser->onAfterCreated = memberCall(*this, "onBrowserCreated");
        rt::Value(browser).set("onBeforeResourceLoad", memberCall(*this, "onBeforeResourceLoad"));
        rt::Value(browser).set("onBeforeMenu", memberCall(*this, "onBeforeMenu"));
    }
    set_resizable(false);
    set_caption(false);

    const int32_t availableWidth = screenMetrics().screenWidth - screenMetrics().borderX;
    const int32_t availableHeight = screenMetrics().windowFullHeight - screenMetrics().borderY;
    int32_t width = kMaxWidth;
    int32_t height = kMaxHeight;
    if (screenMetrics().screenWidth < kMaxWidth || availableHeight < kMaxHeight) {
        const double scale = std::min(availableWidth / 1280.0, availableHeight / 738.0);
        width = std::min(static_cast<int32_t>(1280 * scale) + 5, kMaxWidth);
        height = std::min(static_cast<int32_t>(738 * scale) + 30, kMaxHeight);
    }
    set_width(width);
    set_height(height);
    onSize();

    int32_t left =
        static_cast<int32_t>((screenMetrics().screenWidth - screenMetrics().borderX - width) * 0.5);
    int32_t top = static_cast<int32_t>(
        (screenMetrics().windowFullHeight + screenMetrics().borderY - height) * 0.5);
    if (left < -screenMetrics().borderX) left = 0;
    if (top < -screenMetrics().borderY) top = 0;
    set_left(left);
    set_top(top);
}

const rt::ClassInfo& UnityGameWindow::staticClassInfo() {
    using W = UnityGameWindow;
    return describeSubclass<W>("UnityGameWindow", [](rt::ClassBuilder<W>& builder) {
        builder.method("sendGameDataToServer", &W::sendGameDataToServer);
    });
}

RT_REGISTER_CLASS(UnityGameWindow);

}  // namespace lobby
