#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "lobby/app/app_windows.h"
#include "lobby/app/config.h"
#include "lobby/app/install_paths.h"
#include "lobby/app/lobby_window.h"
#include "lobby/app/login_window.h"
#include "lobby/app/screen_metrics.h"
#include "lobby/bindings/cef/cef_app.h"
#include "lobby/bindings/cef/cef_browser.h"
#include "lobby/bindings/cef/cef_browser_settings.h"
#include "lobby/bindings/fake_host.h"
#include "runtime/array.h"
#include "runtime/class_builder.h"
#include "runtime/create.h"

namespace lobby::testing {

// Host window property ids, as the browser host numbers them.
enum Prop : int32_t {
    kWidth = 3,
    kHeight = 4,
    kLeft = 5,
    kTop = 6,
    kMinimized = 11,
    kMaximized = 12,
    kEnabled = 14,
};

// The window state for a 1920 x 1080 screen (a 40-pixel task bar, 4-pixel frames), with the
// shared browser settings and no game window.
inline void useFullHdScreen() {
    screenMetrics().screenWidth = 1920;
    screenMetrics().screenHeight = 1080;
    screenMetrics().windowFullHeight = 1040;
    screenMetrics().windowInitW = 1536;
    screenMetrics().windowInitH = 832;
    screenMetrics().borderX = 4;
    screenMetrics().borderY = 4;
    appWindows().browserSet = rt::create<cef::CefBrowserSettings>();
    appWindows().gamesWindow = rt::make<rt::Array>();
}

// The class info of a test's window class W on the base B, with no members of its own.
template <class W, class B>
const rt::ClassInfo& testWindowClass(const char* name) {
    static const rt::ClassInfo& info = rt::ClassBuilder<W>(name).template extends<B>().build();
    return info;
}

// Forgets the application's windows and the boss key's state, as each test leaves them.
inline void forgetWindows() {
    AppWindows& windows = appWindows();
    windows.lobbyWindow = nullptr;
    windows.loginWindow = nullptr;
    windows.userRegWindow = nullptr;
    windows.gamesWindow = nullptr;
    windows.tray = nullptr;
    windows.browserSet = nullptr;
    windows.isHotKey = false;
}

// The lobby's windows against the recording host: window properties read back what was set,
// texts cross to and from the system unchanged, every browser has main frame 1 and named frames
// on request. The application's and Config's state is set to a 1920 x 1080 screen and put back
// after.
class WindowTest : public ::testing::Test {
protected:
    WindowTest() {
        host.answer("window_set_prop", [this](std::span<const rt::Value> a) {
            props[{a[0].toString(), a[1].toInt()}] = a[2];
            return rt::Value();
        });
        host.answer("window_get_prop", [this](std::span<const rt::Value> a) {
            auto it = props.find({a[0].toString(), a[1].toInt()});
            return it == props.end() ? rt::Value(0) : it->second;
        });
        host.answer("cef_unicode2ansi", [](std::span<const rt::Value> a) { return a[0]; });
        host.answer("cef_ansi2unicode", [](std::span<const rt::Value> a) { return a[0]; });
        host.answer("browser_getmainframeid", 1);
        host.answer("browser_getframeobj", [this](std::span<const rt::Value> a) {
            auto id = frameIds.try_emplace(a[1].toString(), 2 + frameIds.size()).first->second;
            return rt::Value(rt::Record::of({{"_url", id}, {"x", 0}, {"y", a[1]}}));
        });
        installPaths().appPath = "/opt/lobby/";
        installPaths().localRes = "resource";
        useFullHdScreen();
        Config::configs = {{"site", "http://127.0.0.1:8080"}, {"product", "Lobby"}};
        BaseWindow::siteUrl = std::nullopt;
    }

    ~WindowTest() override {
        forgetWindows();
        installPaths().resourceFilesData = std::nullopt;
        installPaths().mainSwfData = nullptr;
        installPaths().resourcePath.clear();
        Config::configs.clear();
        Config::userSets.clear();
        Config::remoteConfigs = nullptr;
        Config::machineCodeStr = std::nullopt;
        BaseWindow::siteUrl = std::nullopt;
        LobbyWindow::isInit = false;
        LobbyWindow::isHotKeySetting = false;
    }

    // Gives the window made last its native handle, at the size it was made with, and a ready
    // browser.
    template <class W>
    rt::Ref<W> open(rt::Ref<W> window, const std::string& handle) {
        auto made = host.calls("cef_window_create");
        if (!made.empty() && !props.count({handle, kWidth})) {
            props[{handle, kWidth}] = made.back().args[0];
            props[{handle, kHeight}] = made.back().args[1];
        }
        window->on_create(handle);
        window->onBrowserEvent("onAfterCreated", nullptr);
        return window;
    }

    rt::Value prop(const std::string& handle, int32_t id) {
        auto it = props.find({handle, id});
        return it == props.end() ? rt::Value() : it->second;
    }
    void setProp(const std::string& handle, int32_t id, rt::Value v) { props[{handle, id}] = v; }

    // The page function calls made in any frame: name and argument array.
    std::vector<std::pair<std::string, rt::Value>> pageCalls() const {
        std::vector<std::pair<std::string, rt::Value>> out;
        for (const auto& c : host.calls("frame_invokejsfunc")) {
            out.emplace_back(c.args[3].toString(), c.args[4]);
        }
        return out;
    }
    std::vector<std::string> scripts() const {
        std::vector<std::string> out;
        for (const auto& c : host.calls("frame_executejavascript")) {
            out.push_back(c.args[3].toString());
        }
        return out;
    }

    bindings::FakeHost host;
    std::map<std::pair<std::string, int32_t>, rt::Value> props;
    std::map<std::string, int32_t> frameIds;
};

}  // namespace lobby::testing

namespace lobby::testing {

// Stands in for the download engine and for game windows: records the members called on it by
// name and answers `check` for its game key.
class Recorder : public rt::Object {
    RT_CLASS(Recorder)
public:
    std::vector<std::pair<std::string, std::vector<rt::Value>>> calls;
    int32_t gameType = -1;

protected:
    rt::Value callMissing(std::string_view name, std::span<const rt::Value> args) override {
        calls.emplace_back(std::string(name), std::vector<rt::Value>(args.begin(), args.end()));
        if (name == "check") return args.size() > 0 && args[0].toInt() == gameType;
        return {};
    }
};

inline const rt::ClassInfo& Recorder::staticClassInfo() {
    static const rt::ClassInfo& info = rt::ClassBuilder<Recorder>("test.Recorder").build();
    return info;
}

// The window tests with the lobby window and the login window open, as after start-up.
class LobbyAndLoginTest : public WindowTest {
protected:
    LobbyAndLoginTest() {
        lobby = open(rt::create<LobbyWindow>(), "lobby");
        appWindows().lobbyWindow = lobby;
        login = open(rt::create<LoginWindow>(std::nullopt, nullptr, nullptr), "login");
        appWindows().loginWindow = login;
        host.clearCalls();
    }

    rt::Ref<LobbyWindow> lobby;
    rt::Ref<LoginWindow> login;
};

}  // namespace lobby::testing
