#include "lobby/app/login_window.h"

#include <utility>

#include "lobby/app/app_windows.h"
#include "lobby/app/config.h"
#include "lobby/app/install_paths.h"
#include "lobby/app/lobby_window.h"
#include "lobby/app/page_calls.h"
#include "lobby/app/page_prompts.h"
#include "lobby/app/resource_response.h"
#include "lobby/app/screen_metrics.h"
#include "lobby/app/script_text.h"
#include "lobby/app/url_rules.h"
#include "lobby/bindings/cef/cef_app.h"
#include "lobby/bindings/cef/cef_browser.h"
#include "lobby/bindings/cef/cef_frame.h"
#include "lobby/bindings/cef/rect.h"
#include "lobby/bindings/cef/size.h"
#include "lobby/bindings/syslite/browser.h"
#include "runtime/class_builder.h"
#include "runtime/create.h"
#include "runtime/strings.h"
#include "runtime/trace.h"

namespace lobby {
namespace {}  // namespace

void LoginWindow::construct(std::optional<std::string> page, rt::Value width, rt::Value height) {
    std::string address = page.value_or(kLoginPage);
    pageWidth = width.isNull() ? 470 : width.toInt();
    pageHeight = height.isNull() ? 343 : height.toInt();
    wndType = address == kLoginPage ? 0 : 1;
    CefWindow::construct(installPaths().appPath + installPaths().localRes + address, pageWidth,
                         pageHeight, wndType == 0 ? cef::CefWindow::WF_NO_CAPTION : 0,
                         appWindows().browserSet);
}

void LoginWindow::init() {
    set_enabled(true);
    show(true);
    if (rt::Ref<cef::CefFrame> frame = mainFrameOf(rt::Ref<cef::CefWindow>(this))) {
        frame->invokeJsFunc("init", nullptr);
    }
}

void LoginWindow::setLoginResult(rt::Value result) {
    std::string text = result.isString() ? std::string(result.str()) : result.toString();
    if (result.isString() && text == "ok") {
        set_enabled(false);
        set_visible(false);
    }
    if (rt::Ref<cef::CefFrame> frame = mainFrameOf(rt::Ref<cef::CefWindow>(this))) {
        frame->executeJavaScript(scriptCall("setLoginResult", text), get_url(), nullptr);
    }
}

void LoginWindow::setCaptchaUrl(std::optional<std::string> url) {
    rt::Ref<cef::CefBrowser> browser = get_cefBrowser();
    if (!browser) {
        RT_TRACE("browser is null");
        return;
    }
    rt::Ref<cef::CefFrame> frame = browser->getMainFrame();
    if (!frame) {
        RT_TRACE("frame is null");
        return;
    }
    frame->invokeJsFunc("setCaptchaUrl", rt::Array::of({rt::toValue(url)}));
}

void LoginWindow::initTipBar() {
    if (rt::Ref<cef::CefFrame> frame = mainFrameOf(rt::Ref<cef::CefWindow>(this))) {
        frame->invokeJsFunc("initTipBar", rt::Array::of({Config::remoteConfigs}));
    }
}

rt::Value LoginWindow::onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) {
    rt::Ref<LobbyWindow> lobby = appWindows().lobbyWindow;
    if (name == "toLogin") {
        rt::Value flag = arg(args, 3);
        if (lobby) {
            lobby->toLogin(textOf(arg(args, 0)), textOf(arg(args, 1)), arg(args, 2),
                           !flag.isNull() && flag.toInt() != 0);
        }
    } else if (name == "getCaptchaUrl") {
        if (lobby) lobby->getCaptchaUrl();
    } else if (name == "startDrag") {
        if (!get_maximized()) drag();
    } else if (name == "minWindow") {
        set_minimized(true);
    } else if (name == "closeWindow") {
        close();
    } else if (name == "getRecodeAccount") {
        return lobby ? lobby->getRecodeAccount() : rt::Value();
    } else if (name == "clearRecordAccount") {
        if (lobby) lobby->clearRecordAccount();
    } else if (name == "getConfigVar") {
        std::optional<std::string> value =
            Config::getConfigValue(rt::fromValue<std::string>(arg(args, 0)));
        if (!value) return {};
        return rt::toValue(cef::CefApp::ansi2Unicode(value));
    } else if (name == "getMachineCode") {
        return Config::getMachineCode();
    } else if (name == "setMachibeCode") {
        Config::machineCodeStr = rt::fromValue<std::string>(arg(args, 0));
    } else if (name == "getRemoteConfig") {
        return Config::remoteConfigs;
    } else if (name == "trace") {
        RT_TRACE(arg(args, 0));
    } else if (name == "execLobbyJs") {
        return invokeFrom(lobby, rt::fromValue<std::string>(arg(args, 0)), args, 1);
    } else if (name == "execGameJs") {
        rt::Ref<cef::CefWindow> game = gameWindowOf(args, 1).as<cef::CefWindow>();
        if (!game) return {};
        return invokeFrom(game, rt::fromValue<std::string>(arg(args, 0)), args, 4);
    } else if (name == "setWH") {
        int32_t oldWidth = pageWidth;
        int32_t oldHeight = pageHeight;
        pageWidth = arg(args, 0).toInt();
        pageHeight = arg(args, 1).toInt();
        cornerRadius = arg(args, 2).toInt();
        set_width(pageWidth);
        set_height(pageHeight);
        set_left(static_cast<int32_t>((oldWidth - pageWidth) * 0.5) + get_left());
        set_top(static_cast<int32_t>((oldHeight - pageHeight) * 0.5) + get_top());
    } else {
        return CefWindow::onJsCallBack(name, std::move(args));
    }
    return {};
}

void LoginWindow::roundOutline() {
    setRound(rt::create<cef::Rect>(0, 0, get_width() + 1, get_height() + 1),
             rt::create<cef::Size>(static_cast<double>(cornerRadius),
                                   static_cast<double>(cornerRadius)));
}

void LoginWindow::onCreate() {
    rt::Ref<cef::CefWindow> self(this);
    if (rt::Ref<cef::CefBrowser> browser = get_cefBrowser()) {
        browser->onAfterCreated = memberHandler(self, "onBrowserCreated");
        rt::Value handlers(browser);
        handlers.set("onBeforePopup", memberHandler(self, "onBeforePopup"));
        handlers.set("onBeforeResourceLoad", memberHandler(self, "onBeforeResourceLoad"));
        handlers.set("onJSAlert", memberHandler(self, "onJSAlert"));
        if (wndType == 1) handlers.set("onBeforeMenu", memberHandler(self, "onBeforeMenu"));
    }
    set_left(static_cast<int32_t>((screenMetrics().screenWidth - get_width()) * 0.5));
    set_top(static_cast<int32_t>((screenMetrics().screenHeight - get_height()) * 0.5));
    set_resizable(false);
    set_maximizeIcon(false);
    set_caption(false);
    roundOutline();
}

bool LoginWindow::onSize() {
    set_width(pageWidth);
    set_height(pageHeight);
    roundOutline();
    return true;
}

bool LoginWindow::onClose() {
    if (wndType == 1) {
        if (appWindows().userRegWindow.get() == this) appWindows().userRegWindow = nullptr;
        return true;
    }
    rt::Ref<LobbyWindow> lobby = appWindows().lobbyWindow;
    if (!lobby || !lobby->isLogin) {
        if (lobby) {
            lobby->quitApplication();
        } else {
            cef::CefApp::quit();
        }
    }
    if (appWindows().loginWindow.get() == this) appWindows().loginWindow = nullptr;
    return true;
}

bool LoginWindow::onBeforePopup(std::optional<std::string> address) {
    std::string url = address.value_or("");
    if (std::optional<std::string> key = placeholderKey(url)) {
        std::optional<std::string> value = Config::getConfigValue(*key);
        if (!value) return false;
        if (!rt::startsWith(*value, "http") && *key != "site") {
            syslite::Browser::launch(Config::getConfigValue("site").value_or("") + *value);
        } else {
            syslite::Browser::launch(*value);
        }
        return false;
    }
    if (rt::Ref<rt::Array> pop = Config::remoteConfigs.get("pop").asArray();
        pop && pop->size() > 0) {
        for (const rt::Value& entry : pop->items()) {
            if (entry.isString() && url.find(entry.str()) != std::string::npos) return true;
        }
    }
    syslite::Browser::launch(url);
    return false;
}

void LoginWindow::onBrowserCreated() {
    set_height(get_height() + 1);
}

bool LoginWindow::onBeforeMenu(rt::Value info) {
    return contextMenuShown(info, 33);
}

bool LoginWindow::onJSAlert(rt::Value, std::optional<std::string>,
                            std::optional<std::string> message) {
    return alertShown(rt::Ref<cef::CefWindow>(this), message);
}

rt::Value LoginWindow::onBeforeResourceLoad(std::optional<std::string> url,
                                            rt::Ref<cef::CefResponse> response) {
    std::optional<std::string> path = localRequestPath(url);
    if (!path || !response) return {};
    return archiveEntry(*path, *response);
}

const rt::ClassInfo& LoginWindow::staticClassInfo() {
    using W = LoginWindow;
    static const rt::ClassInfo& info =
        rt::ClassBuilder<W>("LoginWindow")
            .extends<cef::CefWindow>()
            .field("_round", &W::cornerRadius)
            .fields(RT_NAMED(W, wndType, pageHeight, pageWidth))
            .methods(RT_NAMED(W, setCaptchaUrl, setLoginResult, initTipBar, init, onBeforePopup,
                              onBrowserCreated, onBeforeMenu, onJSAlert, onBeforeResourceLoad))
            .constructor(&W::construct)
            .build();
    return info;
}

RT_REGISTER_CLASS(LoginWindow);

}  // namespace lobby
