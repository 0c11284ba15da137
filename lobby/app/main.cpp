#include "lobby/app/main.h"

#include <charconv>
#include <optional>
#include <string_view>
#include <system_error>

#include "lobby/app/application.h"
#include "lobby/app/config.h"
#include "lobby/app/lobby_window.h"
#include "lobby/app/login_window.h"
#include "lobby/bindings/cef/cef_app.h"
#include "lobby/bindings/cef/cef_settings.h"
#include "lobby/bindings/cef/page_callers.h"
#include "lobby/bindings/value_access.h"
#include "runtime/class_builder.h"
#include "runtime/file_system.h"
#include "runtime/function.h"
#include "runtime/random.h"
#include "runtime/strings.h"
#include "runtime/trace.h"

namespace lobby {

namespace {

// The integer a text starts with (digits after an optional minus sign); nothing when the text
// does not start with one or the number does not fit 32 bits.
std::optional<int32_t> leadingInt(std::string_view text) {
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc()) return std::nullopt;
    return value;
}

rt::Ref<cef::CefSettings> makeSettings(const std::string& flashPath) {
    rt::Ref<cef::CefSettings> settings = rt::create<cef::CefSettings>();
    settings->locale = "en-US";
    settings->extraPluginPaths = rt::make<rt::Array>();
    settings->extraPluginPaths->push(flashPath);
    settings->logSeverity =
        leadingInt(Config::getConfigValue("logSeverity").value_or("")).value_or(0);
    return settings;
}

rt::Value closure(const char* name, std::function<void()> body) {
    return rt::Function::of(name, [body = std::move(body)](std::span<const rt::Value>) {
        body();
        return rt::Value();
    });
}

}  // namespace

void Main::main() {
    rt::create<Main>();
}

void Main::construct() {
    InstallPaths& paths = installPaths();
    VersionCheck& check = versionCheck();
    AppWindows& windows = appWindows();
    paths.findAppPath();
    Config::init();
    if (!cef::CefApp::registeAppInstance(
            cef::CefApp::ansi2Unicode(Config::getConfigValue("product")))) {
        cef::CefApp::quit();
        return;
    }
    check.makeServerList(Config::getConfigValue("ver_url"));
    downloadSettings().updateLocalRoot = paths.appPath + "app_update";
    downloadSettings().versionFileList = rt::make<rt::Array>();
    check.httpEtag =
        "?r=" + rt::Value(rt::random()).toString() + rt::Value(rt::random()).toString();
    check.updateVersion.clear();
    check.start();
    windows.hotkeyName = "_global_hot_key_lobby_";
    windows.isHotKey = false;
    screenMetrics().read();
    loadLocalResources();
    setFlashTrust();
    const std::string flashPath = rt::replaceAll(paths.appPath + "plugin\\NPSWF32.dll", "/", "\\");
    if (rt::FileSystem::exists(paths.appPath + "UnityWebPlayer.exe")) checkUnityPlayer(*this);
    rt::Ref<cef::CefSettings> settings = makeSettings(flashPath);
    windows.gamesWindow = rt::make<rt::Array>();
    Config::getMachineCode();
    rt::Ref<Main> self(this);
    cef::CefApp::onQuit = closure("Main.onQuit", [self] { self->onQuit(); });
    cef::CefApp::main(closure("Main.init", [self] { self->init(); }), settings);
}

void Main::init() {
    AppWindows& windows = appWindows();
    rt::Ref<cef::CefBrowserSettings>& browserSet = windows.browserSet;
    browserSet = rt::create<cef::CefBrowserSettings>();
    browserSet->dragDropDisabled = true;
    browserSet->loadDropsDisabled = true;
    browserSet->applicationCacheDisabled = true;
    browserSet->xssAuditorEnabled = true;
    browserSet->webSecurityDisabled = true;
    browserSet->fileAccessFromFileUrlsAllowed = true;
    browserSet->universalAccessFromFileUrlsAllowed = true;

    const InstallPaths& paths = installPaths();
    rt::Ref<rt::Array> filters = rt::make<rt::Array>();
    filters->push(rt::toValue(cef::CefApp::ansi2Unicode("/" + paths.localRes + "/")));
    filters->push(rt::toValue(cef::CefApp::ansi2Unicode("/LobbyClientMain.swf")));
    cef::CefApp::setFilterResourcePath(filters);
    // Page calls are served to the local pages and to the configured site only.
    cef::PageCallers::trust(paths.resourcePath, Config::getConfigValue("site").value_or(""));

    windows.lobbyWindow = rt::create<LobbyWindow>();
    windows.loginWindow =
        rt::create<LoginWindow>(std::optional<std::string>(), rt::Value(), rt::Value());

    const rt::Ref<rt::Record> hotKey = Config::getHotKeySet();
    if (hotKey->get("enabled").toInt() == 1 &&
        cef::CefApp::registerHotKey(windows.lobbyWindow, windows.hotkeyName, 1,
                                    hotKey->get("code").toInt()) == -1) {
        RT_TRACE("hot key error");
    }
}

void Main::onQuit() {
    AppWindows& windows = appWindows();
    if (windows.tray) windows.tray->dispose();
    if (windows.gamesWindow) {
        const std::vector<rt::Value> open = windows.gamesWindow->items();
        for (const rt::Value& window : open) {
            rt::Ref<cef::CefWindow> w = window.as<cef::CefWindow>();
            if (w && w->_handle.toInt() > 0) w->destroy();
        }
    }
    cef::CefApp::unRegisterHotKey(windows.lobbyWindow, windows.hotkeyName);
}

void Main::checkUpdate() {
    versionCheck().run();
}

bool Main::isGameNeedUpdate(std::optional<std::string> name) {
    return versionCheck().isGameNeedUpdate(name);
}

void Main::openGame(rt::Value gameInfo, rt::Value gameRoom, bool isFixSeat, rt::Value arg4,
                    rt::Value arg5, std::string arg6) {
    if (GameWindows* registry = gameWindows()) {
        registry->openGame(std::move(gameInfo), std::move(gameRoom), isFixSeat, std::move(arg4),
                           std::move(arg5), std::move(arg6));
    }
}

void Main::closeGame(const rt::Value& window) {
    if (GameWindows* registry = gameWindows()) registry->closeGame(window);
}

void Main::destroyGame(int32_t gameType, int32_t roomType, int32_t roomLevel) {
    if (GameWindows* registry = gameWindows()) {
        registry->destroyGame(gameType, roomType, roomLevel);
    }
}

void Main::onHotkey() {
    AppWindows& windows = appWindows();
    if (windows.loginWindow && windows.loginWindow->get_enabled()) {
        windows.loginWindow->show(windows.isHotKey, false, false);
        windows.isHotKey = !windows.isHotKey;
        return;
    }
    windows.lobbyWindow->show(windows.isHotKey, false, false);
    if (windows.gamesWindow) {
        const std::vector<rt::Value> open = windows.gamesWindow->items();
        for (const rt::Value& window : open) window.callMember("hotkeyShow", {windows.isHotKey});
    }
    windows.isHotKey = !windows.isHotKey;
}

void Main::showLoginWindow() {
    appWindows().loginWindow->init();
    appWindows().lobbyWindow->getCaptchaUrl();
}

void Main::showUserRegWindow() {
    rt::Ref<LoginWindow>& window = appWindows().userRegWindow;
    if (!window) {
        window = rt::create<LoginWindow>(std::optional<std::string>("/reg.html"), rt::Value(690),
                                         rt::Value(550));
    }
    window->show(true);
}

const rt::ClassInfo& Main::staticClassInfo() {
    static const rt::ClassInfo& info =
        rt::ClassBuilder<Main>("Main")
            .methods(RT_NAMED(Main, onQuit, init, registerUnity))
            .staticField("appPath", &installPaths().appPath)
            .staticField("localRes", &installPaths().localRes)
            .staticField("resourcePath", &installPaths().resourcePath)
            .staticField("resourceFilesData", &installPaths().resourceFilesData)
            .staticField("mainSwfData", &installPaths().mainSwfData)
            .staticField("programFiles", &installPaths().programFiles)
            .staticField("sys_env_apppath", &installPaths().appDataPath)
            .staticField("screenWidth", &screenMetrics().screenWidth)
            .staticField("screenHeight", &screenMetrics().screenHeight)
            .staticField("windowFullHeight", &screenMetrics().windowFullHeight)
            .staticField("windowInitW", &screenMetrics().windowInitW)
            .staticField("windowInitH", &screenMetrics().windowInitH)
            .staticField("borderX", &screenMetrics().borderX)
            .staticField("borderY", &screenMetrics().borderY)
            .staticField("captionHeight", &screenMetrics().captionHeight)
            .staticField("hotkeyName", &appWindows().hotkeyName)
            .staticField("isHotKey", &appWindows().isHotKey)
            .staticField("browserSet", &appWindows().browserSet)
            .staticField("lobbyWindow", &appWindows().lobbyWindow)
            .staticField("loginWindow", &appWindows().loginWindow)
            .staticField("userRegWindow", &appWindows().userRegWindow)
            .staticField("gamesWindow", &appWindows().gamesWindow)
            .staticField("tray", &appWindows().tray)
            .staticField("updateServerUrl", &versionCheck().updateServerUrl)
            .staticField("update_ServerUrls_arr", &versionCheck().serverUrls)
            .staticField("curUpdateServerInx", &versionCheck().currentServerIndex)
            .staticField("curUpdateServerUrl", &versionCheck().currentServerUrl)
            .staticField("httpEtag", &versionCheck().httpEtag)
            .staticField("updateVersion", &versionCheck().updateVersion)
            .staticField("updateModules", &versionCheck().updateModules)
            .staticField("isUpdateModulesInit", &versionCheck().isUpdateModulesInit)
            .staticField("isUpdateChecking", &versionCheck().isUpdateChecking)
            .staticField("updateLocalRoot", &downloadSettings().updateLocalRoot)
            .staticField("versionFileList", &downloadSettings().versionFileList)
            .staticField("versions", &downloadSettings().versions)
            .staticField("serverVerPath", &downloadSettings().serverVerPath)
            .staticMethods(RT_NAMED(Main, main, setFlashTrust, isGameNeedUpdate, destroyGame,
                                    onHotkey, showLoginWindow, showUserRegWindow))
            .build();
    return info;
}

RT_REGISTER_CLASS(Main);

}  // namespace lobby
