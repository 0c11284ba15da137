#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "lobby/app/app_windows.h"
#include "lobby/app/config.h"
#include "lobby/app/download_settings.h"
#include "lobby/app/install_paths.h"
#include "lobby/app/lobby_window.h"
#include "lobby/app/version_check.h"
#include "lobby/bindings/cef/cef_browser_settings.h"
#include "lobby/bindings/fake_host.h"
#include "lobby/download/download_game.h"
#include "lobby/download/file_pool.h"
#include "platform/msgloop/msgloop.h"
#include "runtime/array.h"
#include "runtime/create.h"
#include "runtime/file_system.h"
#include "runtime/function.h"
#include "runtime/test_folder.h"

namespace lobby::testing {

// The download engine against the recording host: a real lobby window whose posted tasks the
// test runs on its own thread as the host's loop would ("on_task" per post, in posting order),
// an installation folder of its own, and the download library replaced by a recorder.
class EngineTest : public ::testing::Test {
protected:
    struct PageCall {
        std::string function;
        std::vector<std::string> args;
    };

    EngineTest() {
        host.answer("cef_unicode2ansi", [](std::span<const rt::Value> a) { return a[0]; });
        host.answer("cef_ansi2unicode", [](std::span<const rt::Value> a) { return a[0]; });
        host.answer("browser_getmainframeid", 1);
        // Notified under the lock: once the destructor has taken the lock after the last post,
        // no poster still touches the condition variable it is about to destroy.
        host.answer("cef_app_posttask", [this](std::span<const rt::Value> a) {
            std::lock_guard<std::mutex> lock(mutex_);
            posts_.push_back(a[1].toInt());
            posted_.notify_one();
            return rt::Value();
        });
        DownloadGame::plug_create.replace(rt::Value(rt::Function::of(
            "plug_create", [](std::span<const rt::Value>) { return rt::Value("instance"); })));
        DownloadGame::plug_destroy.replace(rt::Value(rt::Function::of(
            "plug_destroy", [](std::span<const rt::Value>) { return rt::Value(); })));
        installPaths().appPath = folder.path() + "/";
        downloadSettings().updateLocalRoot = installPaths().appPath + "app_update";
        versionCheck().httpEtag = "?r=0.25";
        downloadSettings().versions = rt::Array::of({"1.0.0", "1.0.1"});
        downloadSettings().versionFileList = rt::make<rt::Array>();
        downloadSettings().serverVerPath = "1_0_1";
        installPaths().localRes = "resource";
        appWindows().browserSet = rt::create<cef::CefBrowserSettings>();
        appWindows().gamesWindow = rt::make<rt::Array>();
        window = rt::create<LobbyWindow>();
        window->on_create("lobby");
        rt::Value(window).callMember("onBrowserEvent", {"onAfterCreated", rt::Value()});
        appWindows().lobbyWindow = window;
        engine = rt::create<DownloadGame>();
    }

    ~EngineTest() override {
        // File downloads may still run for modules that ended early: let them end and hand in
        // their results while the fixture they post to is alive.
        if (engine) engine->removeDownload("");
        download::FilePool::shared().waitIdle();
        for (;;) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (posts_.empty()) break;
                posts_.pop_front();
            }
            rt::Value(window).callMember("onBrowserEvent", {"on_task", 0});
        }
        DownloadGame::progressList.drop();
        appWindows().lobbyWindow = nullptr;
        appWindows().browserSet = nullptr;
        appWindows().gamesWindow = nullptr;
        downloadSettings().versions = nullptr;
        downloadSettings().versionFileList = nullptr;
        std::lock_guard<std::mutex> lock(Config::installedGamesMutex);
        Config::userInstallGames.clear();
    }

    // Runs posted tasks until `done` holds; a task that never comes fails the test.
    void runUntil(const std::function<bool()>& done) {
        while (!done()) {
            int32_t delay = 0;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                bool any = posted_.wait_for(lock, std::chrono::seconds(60),
                                            [this] { return !posts_.empty(); });
                ASSERT_TRUE(any) << "no task was posted";
                delay = posts_.front();
                posts_.pop_front();
            }
            rt::Value(window).callMember("onBrowserEvent", {"on_task", delay});
        }
    }

    // The lobby page's functions called so far, with their arguments as texts.
    std::vector<PageCall> pageCalls() const {
        std::vector<PageCall> calls;
        for (const auto& c : host.calls("frame_invokejsfunc")) {
            PageCall call{c.args[3].toString(), {}};
            if (rt::Ref<rt::Array> args = c.args[4].asArray()) {
                for (const rt::Value& v : args->items()) call.args.push_back(v.toString());
            }
            calls.push_back(std::move(call));
        }
        return calls;
    }

    int pageCallCount(const std::string& function) const {
        int n = 0;
        for (const PageCall& c : pageCalls()) n += c.function == function;
        return n;
    }

    bool installed(const std::string& name) const {
        for (const PageCall& c : pageCalls()) {
            if (c.function == "onInstallOk" && c.args == std::vector<std::string>{name}) {
                return true;
            }
        }
        return false;
    }

    std::vector<PageCall> errors() const {
        std::vector<PageCall> out;
        for (const PageCall& c : pageCalls()) {
            if (c.function == "onDownloadError") out.push_back(c);
        }
        return out;
    }

    rt::Value module(int i) const { return engine->downloadList->get(i); }

    static rt::Ref<rt::Array> names(std::initializer_list<const char*> list) {
        auto a = rt::make<rt::Array>();
        for (const char* n : list) a->push(rt::Value(n));
        return a;
    }

    bindings::FakeHost host;
    rt::testing::TestFolder folder;
    rt::Ref<LobbyWindow> window;
    rt::Ref<DownloadGame> engine;

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<int32_t> posts_;
};

// The engine behind the real download library, both on one message loop of this thread as in
// the program: the engine's tasks reach the window through the loop, and the library reads the
// server's versions on a thread of its own and hands them back through the loop.
class LibraryEngineTest : public EngineTest {
protected:
    LibraryEngineTest() {
        EXPECT_EQ(ml_init(), ML_OK);
        host.answer("cef_app_posttask", [this](std::span<const rt::Value>) {
            ml_post_task(
                [](void* self) {
                    auto* test = static_cast<LibraryEngineTest*>(self);
                    rt::Value(test->window).callMember("onBrowserEvent", {"on_task", 0});
                },
                this, 0);
            return rt::Value();
        });
        DownloadGame::initStatics();
        engine = rt::create<DownloadGame>();
        downloadSettings().versions = nullptr;
    }

    ~LibraryEngineTest() override {
        engine->removeDownload("");
        download::FilePool::shared().waitIdle();
        ml_pump(0, nullptr);
        rt::Value(engine).callMember("OnDestroy", {});
        Config::configs.clear();
        ml_shutdown();
    }

    // Runs the loop until `done` holds; a loop that gets nothing to do for a minute fails.
    void pumpUntil(const std::function<bool()>& done) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!done()) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the loop got nothing to do";
            ml_pump(1000, nullptr);
        }
    }
};

}  // namespace lobby::testing
