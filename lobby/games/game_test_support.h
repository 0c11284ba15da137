#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "lobby/app/app_windows.h"
#include "lobby/app/config.h"
#include "lobby/app/install_paths.h"
#include "lobby/app/lobby_window.h"
#include "lobby/app/main.h"
#include "lobby/app/window_test_support.h"
#include "lobby/bindings/cef/cef_app.h"
#include "lobby/bindings/fake_host.h"
#include "lobby/games/game_window.h"
#include "lobby/games/init_classes.h"
#include "runtime/array.h"
#include "runtime/class_info.h"
#include "runtime/convert.h"
#include "runtime/create.h"
#include "runtime/record.h"
#include "runtime/test_folder.h"

namespace lobby::games::testing {

using lobby::testing::kHeight;
using lobby::testing::kLeft;
using lobby::testing::kMinimized;
using lobby::testing::kTop;
using lobby::testing::kWidth;
using lobby::testing::Prop;

// The eight alerts after which a plug-in window drops its game's link or enters the lobby's
// folder again, written out here rather than taken from the program, and texts that only
// resemble them (another comma, exclamation or question mark, a missing mark).
inline const std::vector<std::string> kLinkAlerts = {
    "服务器连接错误,是否重新连接?",
    "房间已关闭！",
    "连接已断开,是否重新连接!",
    "系统异常,连接断开,是否重连?",
    "您的账号从其他地方登录!",
    "进入房间超时，是否重新连接?",
    "您的账户余额不足!",
    "您的可用金额不足!",
};
inline const std::vector<std::string> kOtherAlerts = {
    "服务器连接错误，是否重新连接?",
    "房间已关闭!",
    "连接已断开,是否重新连接?",
    "进入房间超时,是否重新连接?",
    "您的账户余额不足",
    "anything",
    "",
};

// Every text of both lists, the listed ones first.
inline std::vector<std::string> allAlerts() {
    std::vector<std::string> all = kLinkAlerts;
    all.insert(all.end(), kOtherAlerts.begin(), kOtherAlerts.end());
    return all;
}

// Raises each alert while the working folder is another than the lobby's and answers the alerts
// after which it was the lobby's folder again.
inline std::vector<std::string> alertsEnteringTheLobbyFolder(
    const std::function<void(const std::string&)>& raise) {
    rt::testing::TestFolder lobbyFolder;
    rt::testing::TestFolder elsewhere;
    const std::filesystem::path saved = std::filesystem::current_path();
    const std::string savedAppPath = installPaths().appPath;
    installPaths().appPath = lobbyFolder.path() + "/";
    std::vector<std::string> entered;
    for (const std::string& text : allAlerts()) {
        std::filesystem::current_path(elsewhere.path());
        raise(text);
        if (std::filesystem::equivalent(std::filesystem::current_path(), lobbyFolder.path())) {
            entered.push_back(text);
        }
    }
    std::filesystem::current_path(saved);
    installPaths().appPath = savedAppPath;
    return entered;
}

// Records the calls of a class's plug-in primitives (its statics) as "name(arg, ...)" with the
// arguments' text forms, and answers what the test set (null by default).
class PlugRecorder {
public:
    PlugRecorder(const std::string& className, std::vector<std::string> names)
        : info_(rt::ClassInfo::find(className)), names_(names) {
        for (const std::string& name : names) {
            info_->setStatic(name, rt::Value(rt::Function::of(
                                       name, [this, name](std::span<const rt::Value> args) {
                                           std::string call = name + "(";
                                           for (size_t i = 0; i < args.size(); ++i) {
                                               call += (i ? ", " : "") + args[i].toString();
                                           }
                                           calls.push_back(call + ")");
                                           values.emplace_back(args.begin(), args.end());
                                           auto it = answers.find(name);
                                           return it == answers.end() ? rt::Value() : it->second;
                                       })));
        }
    }

    ~PlugRecorder() {
        for (const std::string& name : names_) info_->setStatic(name, rt::Value());
    }
    PlugRecorder(const PlugRecorder&) = delete;
    PlugRecorder& operator=(const PlugRecorder&) = delete;

    std::vector<std::string> calls;
    // The arguments of each call, in the same order.
    std::vector<std::vector<rt::Value>> values;
    std::map<std::string, rt::Value> answers;

private:
    const rt::ClassInfo* info_;
    std::vector<std::string> names_;
};

// The game windows against the lobby windows' recording host (window properties read back what
// was set, texts cross unchanged, every browser has main frame 1), where each window also gets
// its own native handle when made ("w1", "w2", ...) and the page answers what a test set.
// Main's statics are a 1920 x 1080 screen with a lobby window and no folder, put back after.
class GameTest : public lobby::testing::WindowTest {
protected:
    GameTest() {
        host.answer("cef_window_create", [this](std::span<const rt::Value> a) {
            const std::string handle = "w" + std::to_string(++windows);
            a[3].callMember("on_create", {rt::Value(handle)});
            return rt::Value();
        });
        host.answer("cef_app_gethwndstr",
                    [](std::span<const rt::Value> a) { return rt::Value(a[0].toString()); });
        host.answer("frame_invokejsfunc", [this](std::span<const rt::Value> a) {
            auto it = pageAnswers_.find(a[3].toString());
            return it == pageAnswers_.end() ? rt::Value() : it->second;
        });
        installPaths().appPath = "";
        Config::configs = {{"site", "http://127.0.0.1:8080"}};
        initClasses();
        appWindows().lobbyWindow = rt::create<LobbyWindow>();
        ready(appWindows().lobbyWindow);
    }

    ~GameTest() override { cef::CefApp::isQuit = false; }

    // The game window made by Main::openGame, browser ready.
    template <class W>
    rt::Ref<W> opened(int index = -1) {
        const int at = index < 0 ? appWindows().gamesWindow->size() - 1 : index;
        rt::Ref<W> window = appWindows().gamesWindow->get(at).as<W>();
        if (window) ready(window);
        return window;
    }

    template <class W>
    rt::Ref<W> ready(rt::Ref<W> window) {
        window->onBrowserEvent("onAfterCreated", nullptr);
        return window;
    }

    static rt::Value room(int32_t gameType, int32_t roomType, int32_t roomLevel) {
        return rt::Record::of({{"game_type", gameType},
                               {"room_type", roomType},
                               {"room_level", roomLevel},
                               {"room_id", 1200},
                               {"title", "Room"},
                               {"unit_money", 10}});
    }
    static rt::Value game(int32_t wmode, const std::string& app = "fishing") {
        return rt::Record::of({{"wmode", wmode}, {"app", app}, {"id", 7}, {"name", "Fishing"}});
    }

    std::string handleOf(const rt::Ref<cef::CefWindow>& window) const {
        return window->_handle.toString();
    }
    rt::Value prop(const rt::Ref<cef::CefWindow>& window, int32_t id) const {
        auto it = props.find({handleOf(window), id});
        return it == props.end() ? rt::Value() : it->second;
    }
    void setProp(const rt::Ref<cef::CefWindow>& window, int32_t id, rt::Value v) {
        props[{handleOf(window), id}] = v;
    }
    bool minimized(const rt::Ref<cef::CefWindow>& window) const {
        return prop(window, kMinimized).toBool();
    }

    // Page functions called in the window's page, as "name[args as text]", in order.
    std::vector<std::string> pageCalls(const rt::Ref<cef::CefWindow>& window) const {
        std::vector<std::string> out;
        for (const auto& c : host.calls("frame_invokejsfunc")) {
            if (c.args[0] == window->_handle)
                out.push_back(c.args[3].toString() + c.args[4].toString());
        }
        return out;
    }
    // The argument arrays of the page function's calls in the window's page.
    std::vector<rt::Ref<rt::Array>> pageCallArgs(const rt::Ref<cef::CefWindow>& window,
                                                 const std::string& function) const {
        std::vector<rt::Ref<rt::Array>> out;
        for (const auto& c : host.calls("frame_invokejsfunc")) {
            if (c.args[0] == window->_handle && c.args[3].toString() == function) {
                out.push_back(c.args[4].asArray());
            }
        }
        return out;
    }
    // Scripts run in the window's page.
    std::vector<std::string> scripts(const rt::Ref<cef::CefWindow>& window) const {
        std::vector<std::string> out;
        for (const auto& c : host.calls("frame_evaljavascript")) {
            if (c.args[0] == window->_handle) out.push_back(c.args[3].toString());
        }
        return out;
    }
    // Page calls made in the lobby page.
    std::vector<std::string> lobbyCalls() const { return pageCalls(appWindows().lobbyWindow); }
    // The page's answer to a page function.
    void pageAnswers(const std::string& function, rt::Value answer) {
        pageAnswers_[function] = std::move(answer);
    }
    // The address the window was made with.
    static std::string urlOf(const rt::Ref<cef::CefWindow>& window) {
        return window->get_url().value_or("");
    }

    // Runs the tasks posted through the window (what the host's "on_task" does).
    void runTasks(const rt::Ref<cef::CefWindow>& window) {
        for (int i = host.count("cef_app_posttask"); i > 0; --i) {
            window->onBrowserEvent("on_task", 0);
        }
    }

    int windows = 0;

private:
    std::map<std::string, rt::Value> pageAnswers_;
};

// A game test of the plug-in window class W: the class's plug-in primitives `primitives` are
// recorded in `plug`, the first of them (the one that makes the instance) answering `handle`.
template <class W>
class PlugWindowTest : public GameTest {
protected:
    PlugWindowTest(const std::vector<std::string>& primitives, rt::Value handle)
        : plug(W::staticClassInfo().name(), primitives) {
        plug.answers[primitives.front()] = std::move(handle);
    }

    // A window of W made with `args`, its browser ready.
    template <class... A>
    rt::Ref<W> create(A&&... args) {
        return ready(rt::create<W>(std::forward<A>(args)...));
    }

    PlugRecorder plug;
};

}  // namespace lobby::games::testing
