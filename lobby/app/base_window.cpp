#include "lobby/app/base_window.h"

#include <algorithm>
#include <utility>

#include "lobby/app/app_windows.h"
#include "lobby/app/config.h"
#include "lobby/app/install_paths.h"
#include "lobby/app/lobby_window.h"
#include "lobby/app/login_window.h"
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
#include "lobby/bindings/syslite/clipboard.h"
#include "lobby/bindings/syslite/tools.h"
#include "runtime/bytes.h"
#include "runtime/class_builder.h"
#include "runtime/create.h"
#include "runtime/strings.h"
#include "runtime/trace.h"

namespace lobby {
namespace {

// Addresses of the outside chat service and of the platform's own web site: deployment values.
// Navigations to them leave the embedded browser.
constexpr std::string_view kChatAddress = "http://chat.morvick.invalid/";
constexpr std::string_view kChatScheme = "morvickchat:";
constexpr std::string_view kChatDomain = "chat.morvick.invalid";
constexpr std::string_view kPlatformHost = "www.morvick.invalid";

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// Downloads the browser leaves to the system's browser.
bool isDownload(std::string_view url) {
    for (std::string_view ext : {".rar", ".exe", ".zip", ".7z", ".apk"}) {
        if (contains(url, ext)) return true;
    }
    return false;
}

// The site address occurs in `url` near its start (within the scheme and host part).
bool isInSite(std::string_view url) {
    BaseWindow::initSiteVar();
    if (!BaseWindow::siteUrl || BaseWindow::siteUrl->empty()) return false;
    size_t at = url.find(*BaseWindow::siteUrl);
    return at != std::string_view::npos && at <= 9;
}

bool containsSite(std::string_view url) {
    BaseWindow::initSiteVar();
    return BaseWindow::siteUrl && !BaseWindow::siteUrl->empty() &&
           contains(url, *BaseWindow::siteUrl);
}

void runScript(BaseWindow& window, const std::string& script) {
    rt::Ref<cef::CefFrame> frame = mainFrameOf(rt::Ref<cef::CefWindow>(&window));
    if (frame) frame->executeJavaScript(script, window.get_url(), nullptr);
}

// Opens `url` with the system's default browser; the navigation or popup is then refused.
bool sendOutside(std::string_view url) {
    syslite::Browser::launch(std::string(url));
    return false;
}

// Payment pages open in the desktop's default browser, started as a process of its own. The
// address is the opener's one argument: one that would read as an option or split into several
// arguments is refused.
void openInDesktopBrowser(const std::string& url) {
    if (url.empty() || url[0] == '-' || url.find_first_of(" \t\r\n\"") != std::string::npos) {
        RT_TRACE("payment address not opened: " + url);
        return;
    }
    syslite::win::Tools::createProcess("xdg-open", url, "", false, false);
}

bool loadIn(const rt::Ref<cef::CefFrame>& frame, const std::string& url) {
    frame->loadURL(url);
    return false;
}

}  // namespace

void BaseWindow::initSiteVar() {
    if (!siteUrl) siteUrl = Config::getConfigValue("site");
}

void BaseWindow::construct(std::string url, rt::Value width, rt::Value height) {
    isMainFrameLoad = false;
    isMaxWindow = false;
    isGameWindow = false;
    int32_t w = width.toInt() == 0 ? screenMetrics().windowInitW : width.toInt();
    int32_t h = height.toInt() == 0 ? screenMetrics().windowInitH : height.toInt();
    CefWindow::construct(installPaths().appPath + url, w, h, cef::CefWindow::WF_NO_CAPTION,
                         appWindows().browserSet);
}

rt::Value BaseWindow::onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) {
    if (name == "startDrag") {
        if (!get_maximized()) drag();
    } else if (name == "resize") {
        if (!get_maximized()) resize(textOf(arg(args, 0)));
    } else if (name == "minWindow") {
        set_minimized(true);
    } else if (name == "maxWindow") {
        set_maximized(!get_maximized());
    } else if (name == "closeWindow") {
        close();
    } else if (name == "trace") {
        rt::trace("BaseWindow", 423, arg(args, 0));
    } else if (name == "getConfigVar") {
        std::optional<std::string> value =
            Config::getConfigValue(rt::fromValue<std::string>(arg(args, 0)));
        if (!value) return {};
        return rt::toValue(cef::CefApp::ansi2Unicode(value));
    } else if (name == "getRemoteConfig") {
        return Config::remoteConfigs;
    } else if (name == "setMinSize") {
        minSize->width = get_width();
        minSize->height = get_height();
    } else if (name == "getMachineCode") {
        return Config::getMachineCode();
    } else if (name == "setMachibeCode") {
        Config::machineCodeStr = rt::fromValue<std::string>(arg(args, 0));
    } else if (name == "showDevTool") {
        if (rt::Ref<cef::CefBrowser> browser = get_cefBrowser()) browser->showDevTools();
    } else if (name == "execLobbyJs") {
        return invokeFrom(appWindows().lobbyWindow, rt::fromValue<std::string>(arg(args, 0)), args,
                          1);
    } else if (name == "execGameJs") {
        rt::Ref<cef::CefWindow> game = gameWindowOf(args, 1).as<cef::CefWindow>();
        if (!game) return {};
        return invokeFrom(game, rt::fromValue<std::string>(arg(args, 0)), args, 4);
    } else if (name == "execLoginJs") {
        if (!appWindows().loginWindow) return {};
        return invokeFrom(appWindows().loginWindow, rt::fromValue<std::string>(arg(args, 0)), args,
                          1);
    } else if (name == "setConfigVar") {
        std::string key = rt::fromValue<std::string>(arg(args, 0));
        Config::setConfigValue(key, rt::fromValue<std::string>(arg(args, 1)));
        if (key == "site" && siteUrl) siteUrl = std::nullopt;
    } else if (name == "getClipBoardText") {
        return rt::toValue(cef::CefApp::ansi2Unicode(syslite::Clipboard::getText()));
    } else {
        return CefWindow::onJsCallBack(name, std::move(args));
    }
    return {};
}

rt::Value BaseWindow::onBeforeResourceLoad(std::optional<std::string> url,
                                           rt::Ref<cef::CefResponse> response) {
    std::optional<std::string> path = localRequestPath(url);
    if (!path || !response) return {};
    if (contains(*path, "lobbyclientmain.swf")) {
        if (!installPaths().mainSwfData) return {};
        response->mimeType = "application/x-shockwave-flash";
        response->status = 200;
        return installPaths().mainSwfData;
    }
    return archiveEntry(*path, *response);
}

void BaseWindow::onBrowserCreated() {
    set_height(get_height() + 1);
}

bool BaseWindow::onBeforePopup(std::optional<std::string> address) {
    std::string url = address.value_or("");
    if (isDownload(url)) return sendOutside(url);
    if (std::optional<UrlRule> rule = UrlRule::firstMatch(url, false)) {
        url = rule->rewrite(url);
        if (rule->action == UrlRule::kOpenWindow) {
            if (rule->replacement.empty()) return true;
            runScript(*this, "window.open(" + scriptString(url) + ")");
            return false;
        }
    }
    if (rt::startsWith(url, "http")) {
        if (!isInSite(url)) return sendOutside(url);
    } else if (rt::startsWith(url, "chrome-devtools:")) {
        return true;
    }
    if (contains(url, "#")) return false;
    rt::Ref<cef::CefBrowser> browser = get_cefBrowser();
    rt::Ref<cef::CefFrame> frame = browser ? browser->getFrame("mainFrame") : nullptr;
    if (frame) frame->loadURL(url);
    return false;
}

bool BaseWindow::onBeforeBrowse(rt::Value isMain, std::optional<std::string> frameName,
                                std::optional<std::string> address, rt::Value, rt::Value) {
    bool main = isMain.toBool();
    if (main && isMainFrameLoad) return false;
    rt::Ref<cef::CefBrowser> browser = get_cefBrowser();
    if (!browser) return false;
    rt::Ref<cef::CefFrame> target = main ? browser->getMainFrame() : browser->getFrame(frameName);
    if (!target) return false;
    std::string url = address.value_or("");

    if (rt::startsWith(url, "file:///") && contains(url, "/lobby.html")) {
        if (isMainFrameLoad) return false;
        isMainFrameLoad = true;
    }

    bool ruleMatched = false;
    if (std::optional<UrlRule> rule = UrlRule::firstMatch(url, true)) {
        ruleMatched = true;
        bool rewritten = false;
        if (!rule->replacement.empty() && !containsSite(url)) {
            url = rule->rewrite(url);
            rewritten = true;
        }
        if (rewritten && rule->action == UrlRule::kAllow) return loadIn(target, url);
        switch (rule->action) {
            case UrlRule::kAllow:
                return true;
            case UrlRule::kOutside:
                return sendOutside(url);
            case UrlRule::kOpenWindow:
                runScript(*this, "window.open(" + scriptString(url) + ")");
                return false;
            default:
                break;
        }
    }

    if (rt::startsWith(url, "http")) {
        if (rt::startsWith(url, kChatAddress)) return true;
        if (!ruleMatched && frameName.value_or("") == "mainFrame" && !isInSite(url)) {
            return sendOutside(url);
        }
        if (contains(url, "#")) return false;
    } else {
        if (rt::startsWith(url, "chrome-devtools:")) return true;
        if (rt::startsWith(url, kChatScheme)) return sendOutside(url);
    }

    if (isDownload(url)) return sendOutside(url);

    if (std::optional<std::string> key = placeholderKey(url)) {
        if (std::optional<std::string> value = Config::getConfigValue(*key)) {
            initSiteVar();
            if (rt::startsWith(*value, "http") || *key == "site") {
                url = *value;
            } else {
                url = siteUrl.value_or("") + *value;
            }
            if (!contains(url, "/pay/")) return loadIn(target, url);
        }
    }

    if (contains(url, "/bbs/")) return sendOutside(url);
    if (contains(url, "/payment/")) {
        openInDesktopBrowser(url);
        return false;
    }
    if (contains(url, "/pay/")) return sendOutside(url);
    if (contains(url, "/logout/")) return false;
    if (contains(url, "/us/online.html")) return sendOutside(url);
    for (std::string_view part : {kChatDomain, kPlatformHost, std::string_view(".gov.cn"),
                                  std::string_view("us/weibo.html"), std::string_view("/go/"),
                                  std::string_view("/game/mroom/")}) {
        if (contains(url, part)) return sendOutside(url);
    }
    return true;
}

bool BaseWindow::onBeforeMenu(rt::Value info) {
    return contextMenuShown(info, 35);
}

bool BaseWindow::onJSAlert(rt::Value, std::optional<std::string>,
                           std::optional<std::string> message) {
    return alertShown(rt::Ref<cef::CefWindow>(this), message);
}

void BaseWindow::onCreate() {
    rt::Ref<cef::CefWindow> self(this);
    rt::Ref<cef::CefBrowser> browser = get_cefBrowser();
    if (browser) {
        browser->onAfterCreated = memberHandler(self, "onBrowserCreated");
        rt::Value(browser).set("onBeforeResourceLoad", memberHandler(self, "onBeforeResourceLoad"));
        rt::Value(browser).set("onBeforeMenu", memberHandler(self, "onBeforeMenu"));
        rt::Value(browser).set("onJSAlert", memberHandler(self, "onJSAlert"));
    }
    if (classInfo().name() == "GameWindow") {
        isGameWindow = true;
        set_maximizeIcon(false);
        set_resizable(false);
    } else if (browser) {
        rt::Value(browser).set("onBeforeBrowse", memberHandler(self, "onBeforeBrowse"));
    }

    if (!isGameWindow) {
        minSize->width = screenMetrics().screenWidth > 1000 ? 1000 : screenMetrics().windowInitW;
        minSize->height =
            screenMetrics().windowFullHeight > 600 ? 600 : screenMetrics().windowInitH;
        if (get_width() > screenMetrics().windowInitW) set_width(screenMetrics().windowInitW);
        if (get_height() > screenMetrics().windowInitH) set_height(screenMetrics().windowInitH);
    } else {
        int32_t width = 1350;
        int32_t height = 710;
        if (screenMetrics().screenWidth < 1350 ||
            screenMetrics().windowFullHeight - screenMetrics().borderY < 710) {
            double scale =
                std::min((screenMetrics().screenWidth - screenMetrics().borderX - 275) / 1000.0,
                         (screenMetrics().windowFullHeight - screenMetrics().borderY - 30) / 680.0);
            width = std::min(static_cast<int32_t>(scale * 1000) + 275, 1350);
            height = std::min(static_cast<int32_t>(scale * 680) + 30, 710);
            if (screenMetrics().screenWidth > 1350) {
                width = 1350;
            } else if (screenMetrics().screenWidth < 1350 && width < screenMetrics().screenWidth) {
                width = screenMetrics().screenWidth;
            }
        }
        set_width(width);
        set_height(height);
    }

    set_caption(false);
    onSize();
    if (!isGameWindow && browser) {
        rt::Value(browser).set("onBeforePopup", memberHandler(self, "onBeforePopup"));
    }

    int32_t width = get_width();
    int32_t height = get_height();
    int32_t left;
    int32_t top;
    if (!isGameWindow) {
        left = static_cast<int32_t>((screenMetrics().screenWidth - width) * 0.5);
        top = static_cast<int32_t>((screenMetrics().windowFullHeight - height) * 0.5);
    } else {
        left = static_cast<int32_t>(
            (screenMetrics().screenWidth - width - screenMetrics().borderX) * 0.5);
        top = static_cast<int32_t>(
            (screenMetrics().borderY - height + screenMetrics().windowFullHeight) * 0.5);
    }
    if (left < -screenMetrics().borderX) left = 0;
    if (top + screenMetrics().borderY < 0) top = 0;
    set_left(left);
    set_top(top);
}

bool BaseWindow::onSize() {
    rt::Ref<cef::Size> corner = rt::create<cef::Size>(5.0, 5.0);
    int32_t width = get_width();
    int32_t height = get_height();
    if (isGameWindow) {
        setRound(rt::create<cef::Rect>(0, 0, width + 1, height + 1), corner);
    } else {
        setRound(rt::create<cef::Rect>(screenMetrics().borderY - 1, screenMetrics().borderX - 1,
                                       width + screenMetrics().borderY,
                                       height + screenMetrics().borderX),
                 corner);
    }
    return true;
}

bool BaseWindow::onMaximize() {
    isMaxWindow = true;
    rt::Ref<cef::CefBrowser> browser = get_cefBrowser();
    if (browser && browser->isInit) runScript(*this, "maxOrNormalWindow(true);");
    return true;
}

bool BaseWindow::onRestore() {
    rt::Ref<cef::CefBrowser> browser = get_cefBrowser();
    if (browser && browser->isInit && !get_minimized()) {
        isMaxWindow = false;
        runScript(*this, "maxOrNormalWindow(false);");
    }
    return true;
}

const rt::ClassInfo& BaseWindow::staticClassInfo() {
    using W = BaseWindow;
    static const rt::ClassInfo& info =
        rt::ClassBuilder<W>("BaseWindow")
            .extends<cef::CefWindow>()
            .fields(RT_NAMED(W, isMainFrameLoad, isMaxWindow, isGameWindow))
            .staticField("siteUrl", &W::siteUrl)
            .staticMethod("initSiteVar", &W::initSiteVar)
            .methods(RT_NAMED(W, onBeforeResourceLoad, onBrowserCreated, onBeforePopup,
                              onBeforeBrowse, onBeforeMenu, onJSAlert))
            .constructor(&W::construct)
            .build();
    return info;
}

RT_REGISTER_CLASS(BaseWindow);

}  // namespace lobby
