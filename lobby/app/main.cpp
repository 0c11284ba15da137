#include "lobby/app/main.h"

#include <charconv>
#include <optional>
#include <string_view>
#include <system_error>

#include "lobby/app/config.h"
#include "lobby/app/lobby_window.h"
#include "lobby/app/login_window.h"
#include "lobby/app/version_servers.h"
#include "lobby/bindings/cef/cef_app.h"
#include "lobby/bindings/cef/cef_settings.h"
#include "lobby/bindings/cef/page_callers.h"
#include "lobby/bindings/syslite/display.h"
#include "lobby/bindings/value_access.h"
#include "runtime/class_builder.h"
#include "runtime/file_system.h"
#include "runtime/function.h"
#include "runtime/random.h"
#include "runtime/strings.h"
#include "runtime/trace.h"

namespace lobby {

rt::Ref<cef::CefBrowserSettings> Main::browserSet;
rt::Ref<LobbyWindow> Main::lobbyWindow;
rt::Ref<LoginWindow> Main::loginWindow;
rt::Ref<LoginWindow> Main::userRegWindow;
rt::Ref<rt::Array> Main::gamesWindow;
rt::Ref<syslite::win::Tray> Main::tray;

namespace {

// System metric indices asked of the browser host.
constexpr int32_t kFullScreenHeight = 17;
constexpr int32_t kFrameWidth = 32;
constexpr int32_t kFrameHeight = 33;
constexpr int32_t kCaptionHeight = 4;

std::string withSeparator(std::string path) {
    if (path.empty() || (path.back() != '/' && path.back() != '\\')) path += '/';
    return path;
}

// The working folder; a short (8.3) path is replaced by the program's own folder, which then
// becomes the current folder.
void findAppPath() {
    Main::appPath = withSeparator(rt::FileSystem::currentDirectory());
    if (Main::appPath.find("~1") == std::string::npos) return;
    const std::string exe = cef::CefApp::unicode2Ansi(rt::FileSystem::executablePath())
                                .value_or(rt::FileSystem::executablePath());
    Main::appPath = exe.substr(0, exe.find_last_of("/\\") + 1);
    rt::FileSystem::setCurrentDirectory(Main::appPath);
}

void makeServerList() {
    Main::updateServerUrl = Config::getConfigValue("ver_url");
    Main::update_ServerUrls_arr.clear();
    if (Main::updateServerUrl) Main::update_ServerUrls_arr = rt::split(*Main::updateServerUrl, "|");
    for (const std::string& server : builtInVersionServers()) {
        Main::update_ServerUrls_arr.push_back(server);
    }
    Main::curUpdateServerInx = 0;
    Main::curUpdateServerUrl = Main::update_ServerUrls_arr.front();
}

void readScreenMetrics() {
    const rt::Value size = syslite::win::Display::getScreenSize();
    Main::screenWidth = size.get("w").toInt();
    Main::screenHeight = size.get("h").toInt();
    Main::windowFullHeight = cef::CefApp::getSystemMetrics(kFullScreenHeight);
    Main::windowInitW = static_cast<int32_t>(Main::screenWidth * 0.8);
    Main::windowInitH = static_cast<int32_t>(Main::windowFullHeight * 0.8);
    Main::borderX = cef::CefApp::getSystemMetrics(kFrameWidth);
    Main::borderY = cef::CefApp::getSystemMetrics(kFrameHeight);
    Main::captionHeight = cef::CefApp::getSystemMetrics(kCaptionHeight);
}

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
    findAppPath();
    Config::init();
    if (!cef::CefApp::registeAppInstance(
            cef::CefApp::ansi2Unicode(Config::getConfigValue("product")))) {
        cef::CefApp::quit();
        return;
    }
    makeServerList();
    updateLocalRoot = appPath + "app_update";
    versionFileList = rt::make<rt::Array>();
    httpEtag = "?r=" + rt::Value(rt::random()).toString() + rt::Value(rt::random()).toString();
    updateVersion.clear();
    updateThread = rt::Thread::create([] { Main::checkUpdate(); });
    updateThread->sendMessage(false);
    hotkeyName = "_global_hot_key_lobby_";
    isHotKey = false;
    readScreenMetrics();
    loadLocalResources();
    setFlashTrust();
    const std::string flashPath = rt::replaceAll(appPath + "plugin\\NPSWF32.dll", "/", "\\");
    if (rt::FileSystem::exists(appPath + "UnityWebPlayer.exe")) checkUnityPlayer(*this);
    rt::Ref<cef::CefSettings> settings = makeSettings(flashPath);
    gamesWindow = rt::make<rt::Array>();
    Config::getMachineCode();
    rt::Ref<Main> self(this);
    cef::CefApp::onQuit = closure("Main.onQuit", [self] { self->onQuit(); });
    cef::CefApp::main(closure("Main.init", [self] { self->init(); }), settings);
}

void Main::init() {
    browserSet = rt::create<cef::CefBrowserSettings>();
    browserSet->dragDropDisabled = true;
    browserSet->loadDropsDisabled = true;
    browserSet->applicationCacheDisabled = true;
    browserSet->xssAuditorEnabled = true;
    browserSet->webSecurityDisabled = true;
    browserSet->fileAccessFromFileUrlsAllowed = true;
    browserSet->universalAccessFromFileUrlsAllowed = true;

    rt::Ref<rt::Array> filters = rt::make<rt::Array>();
    filters->push(rt::toValue(cef::CefApp::ansi2Unicode("/" + localRes + "/")));
    filters->push(rt::toValue(cef::CefApp::ansi2Unicode("/LobbyClientMain.swf")));
    cef::CefApp::setFilterResourcePath(filters);
    // Page calls are served to the local pages and to the configured site only.
    cef::PageCallers::trust(resourcePath, Config::getConfigValue("site").value_or(""));

    lobbyWindow = rt::create<LobbyWindow>();
    loginWindow = rt::create<LoginWindow>(std::optional<std::string>(), rt::Value(), rt::Value());

    const rt::Ref<rt::Record> hotKey = Config::getHotKeySet();
    if (hotKey->get("enabled").toInt() == 1 &&
        cef::CefApp::registerHotKey(lobbyWindow, hotkeyName, 1, hotKey->get("code").toInt()) ==
            -1) {
        RT_TRACE("hot key error");
    }
}

void Main::onQuit() {
    if (tray) tray->dispose();
    if (gamesWindow) {
        const std::vector<rt::Value> open = gamesWindow->items();
        for (const rt::Value& window : open) {
            rt::Ref<cef::CefWindow> w = window.as<cef::CefWindow>();
            if (w && w->_handle.toInt() > 0) w->destroy();
        }
    }
    cef::CefApp::unRegisterHotKey(lobbyWindow, hotkeyName);
}

void Main::onHotkey() {
    if (loginWindow && loginWindow->get_enabled()) {
        loginWindow->show(isHotKey, false, false);
        isHotKey = !isHotKey;
        return;
    }
    lobbyWindow->show(isHotKey, false, false);
    if (gamesWindow) {
        const std::vector<rt::Value> open = gamesWindow->items();
        for (const rt::Value& window : open) window.callMember("hotkeyShow", {isHotKey});
    }
    isHotKey = !isHotKey;
}

void Main::showLoginWindow() {
    loginWindow->init();
    lobbyWindow->getCaptchaUrl();
}

void Main::showUserRegWindow() {
    if (!userRegWindow) {
        userRegWindow = rt::create<LoginWindow>(std::optional<std::string>("/reg.html"),
                                                rt::Value(690), rt::Value(550));
    }
    userRegWindow->show(true);
}

const rt::ClassInfo& Main::staticClassInfo() {
    static const rt::ClassInfo& info =
        rt::ClassBuilder<Main>("Main")
            .method("onQuit", &Main::onQuit)
            .method("init", &Main::init)
            .method("registerUnity", &Main::registerUnity)
            .staticField("appPath", &Main::appPath)
            .staticField("localRes", &Main::localRes)
            .staticField("resourcePath", &Main::resourcePath)
            .staticField("resourceFilesData", &Main::resourceFilesData)
            .staticField("mainSwfData", &Main::mainSwfData)
            .staticField("programFiles", &Main::programFiles)
            .staticField("sys_env_apppath", &Main::sys_env_apppath)
            .staticField("screenWidth", &Main::screenWidth)
            .staticField("screenHeight", &Main::screenHeight)
            .staticField("windowFullHeight", &Main::windowFullHeight)
            .staticField("windowInitW", &Main::windowInitW)
            .staticField("windowInitH", &Main::windowInitH)
            .staticField("borderX", &Main::borderX)
            .staticField("borderY", &Main::borderY)
            .staticField("captionHeight", &Main::captionHeight)
            .staticField("hotkeyName", &Main::hotkeyName)
            .staticField("isHotKey", &Main::isHotKey)
            .staticField("browserSet", &Main::browserSet)
            .staticField("lobbyWindow", &Main::lobbyWindow)
            .staticField("loginWindow", &Main::loginWindow)
            .staticField("userRegWindow", &Main::userRegWindow)
            .staticField("gamesWindow", &Main::gamesWindow)
            .staticField("tray", &Main::tray)
            .staticField("updateServerUrl", &Main::updateServerUrl)
            .staticField("update_ServerUrls_arr", &Main::update_ServerUrls_arr)
            .staticField("curUpdateServerInx", &Main::curUpdateServerInx)
            .staticField("curUpdateServerUrl", &Main::curUpdateServerUrl)
            .staticField("httpEtag", &Main::httpEtag)
            .staticField("updateVersion", &Main::updateVersion)
            .staticField("updateModules", &Main::updateModules)
            .staticField("isUpdateModulesInit", &Main::isUpdateModulesInit)
            .staticField("isUpdateChecking", &Main::isUpdateChecking)
            .staticField("updateLocalRoot", &Main::updateLocalRoot)
            .staticField("versionFileList", &Main::versionFileList)
            .staticField("versions", &Main::versions)
            .staticField("serverVerPath", &Main::serverVerPath)
            .staticMethod("main", &Main::main)
            .staticMethod("setFlashTrust", &Main::setFlashTrust)
            .staticMethod("isGameNeedUpdate", &Main::isGameNeedUpdate)
            .staticMethod("destroyGame", &Main::destroyGame)
            .staticMethod("onHotkey", &Main::onHotkey)
            .staticMethod("showLoginWindow", &Main::showLoginWindow)
            .staticMethod("showUserRegWindow", &Main::showUserRegWindow)
            .build();
    return info;
}

RT_REGISTER_CLASS(Main);

}  // namespace lobby
