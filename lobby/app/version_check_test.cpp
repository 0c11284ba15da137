#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include "lobby/app/config.h"
#include "lobby/app/install_paths.h"
#include "lobby/app/main.h"
#include "lobby/app/version_check.h"
#include "lobby/bindings/cef/cef_window.h"
#include "lobby/bindings/fake_host.h"
#include "runtime/file.h"
#include "runtime/file_system.h"
#include "runtime/test_folder.h"
#include "runtime/thread.h"
#include "tools/testhttp/server.h"

namespace lobby {
namespace {

using Strings = std::vector<std::string>;

// Version servers on loopback, an installation folder with local version files, and the check
// run on its own thread as the program runs it; its findings reach the test's thread as the task
// it posts through a lobby window, which the test runs as the host's loop would.
class VersionCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.answer("cef_unicode2ansi", [](std::span<const rt::Value> args) { return args[0]; });
        installPaths().appPath = folder.path() + "/";
        rt::FileSystem::createDirectory(folder / "version");
        versionCheck().httpEtag = "?r=0.5";
        versionCheck().updateVersion.clear();
        versionCheck().updateModules.clear();
        versionCheck().isUpdateModulesInit = false;
        versionCheck().isUpdateChecking = false;
        window->_handle = 7;
    }

    void servers(const std::vector<testhttp::Server*>& list) {
        versionCheck().serverUrls.clear();
        for (testhttp::Server* s : list) versionCheck().serverUrls.push_back(s->url("/version/"));
        versionCheck().currentServerIndex = 0;
        versionCheck().currentServerUrl = versionCheck().serverUrls.front();
    }

    void installed(const Strings& games) {
        std::lock_guard<std::mutex> lock(Config::installedGamesMutex);
        Config::userInstallGames = games;
    }

    void localVersion(const std::string& game, const std::string& text) {
        rt::File::saveContent(folder / ("version/" + game + ".v"), text);
    }

    void runCheckThread() {
        rt::Ref<rt::Thread> thread = rt::Thread::create(&Main::checkUpdate);
        thread->sendMessage(false);
        thread->join();
    }

    void runPostedTask() {
        ASSERT_EQ(host.count("cef_app_posttask"), 1);
        rt::Value(window).callMember("onBrowserEvent", {"on_task", 0});
    }

    void runCheck() {
        runCheckThread();
        versionCheck().deliverThrough(window);
        runPostedTask();
    }

    bindings::FakeHost host;
    rt::testing::TestFolder folder;
    testhttp::Server first;
    testhttp::Server second;
    rt::Ref<cef::CefWindow> window = rt::make<cef::CefWindow>();
};

// Findings that are ready before the lobby window exists wait for it; until the posted task has
// run on the UI thread nothing of them is visible there.
TEST_F(VersionCheckTest, FindingsReadyBeforeTheWindowArePostedOnceItIsNamed) {
    servers({&first, &second});
    first.setFault("/version/game.v", testhttp::Fault::answerStatus(502));
    second.addFile("/version/game.v", "9");
    installed({"game"});
    runCheckThread();
    EXPECT_EQ(host.count("cef_app_posttask"), 0);
    versionCheck().deliverThrough(window);
    EXPECT_EQ(host.count("cef_app_posttask"), 1);
    EXPECT_TRUE(versionCheck().updateModules.empty());
    EXPECT_EQ(versionCheck().currentServerIndex, 0);
    EXPECT_FALSE(Main::isGameNeedUpdate("game"));
    runPostedTask();
    EXPECT_TRUE(Main::isGameNeedUpdate("game"));
    EXPECT_EQ(versionCheck().currentServerIndex, 1);
    EXPECT_EQ(versionCheck().currentServerUrl, second.url("/version/"));
}

// With the window named first, the check thread posts its findings itself, once.
TEST_F(VersionCheckTest, FindingsReadyAfterTheWindowArePostedByTheCheckThread) {
    servers({&first});
    first.addFile("/version/game.v", "9");
    installed({"game"});
    versionCheck().deliverThrough(window);
    EXPECT_EQ(host.count("cef_app_posttask"), 0);
    runCheckThread();
    EXPECT_FALSE(versionCheck().isUpdateModulesInit);
    runPostedTask();
    EXPECT_TRUE(versionCheck().isUpdateModulesInit);
    EXPECT_EQ(versionCheck().updateModules, Strings{"game"});
}

TEST_F(VersionCheckTest, OnlyAnExactlyEqualLocalTextLeavesAGameOffTheList) {
    servers({&first});
    first.addFile("/version/same.v", "1.0.3");
    first.addFile("/version/newline.v", "1.0.3");
    first.addFile("/version/missing.v", "1.0.3");
    localVersion("same", "1.0.3");
    localVersion("newline", "1.0.3\n");
    installed({"same", "newline", "missing"});
    runCheck();
    EXPECT_EQ(versionCheck().updateModules, (Strings{"newline", "missing"}));
    EXPECT_EQ(versionCheck().updateVersion.at("newline"), "1.0.3\n");
    EXPECT_EQ(versionCheck().updateVersion.count("missing"), 0u);
    auto requests = first.log().forPath("/version/same.v");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].request.headers.get("cache-control"), "no-cache");
    EXPECT_EQ(requests[0].request.range->first, 0u);
}

TEST_F(VersionCheckTest, AnHtmlAnswerMovesToTheNextServerWhichTheNextGameAsksFirst) {
    servers({&first, &second});
    first.addFile("/version/a.v", "<html><body>not here</body></html>");
    first.addFile("/version/b.v", "2.0");
    second.addFile("/version/a.v", "1.1");
    second.addFile("/version/b.v", "2.0");
    localVersion("a", "1.0");
    localVersion("b", "2.0");
    installed({"a", "b"});
    runCheck();
    EXPECT_EQ(versionCheck().updateModules, Strings{"a"});
    EXPECT_EQ(first.log().countFor("/version/b.v"), 0);
    EXPECT_EQ(second.log().countFor("/version/b.v"), 1);
    EXPECT_EQ(versionCheck().currentServerIndex, 1);
}

TEST_F(VersionCheckTest, AGameEveryServerFailsIsNotListedAndTheNextStartsAtTheFirstServer) {
    servers({&first, &second});
    first.setFault("/version/a.v", testhttp::Fault::answerStatus(502));
    second.setFault("/version/a.v", testhttp::Fault::errorPage());
    second.addFile("/version/a.v", "1");
    first.addFile("/version/b.v", "3");
    installed({"a", "b"});
    runCheck();
    EXPECT_EQ(versionCheck().updateModules, Strings{"b"});
    EXPECT_EQ(first.log().countFor("/version/b.v"), 1);
    EXPECT_EQ(second.log().countFor("/version/b.v"), 0);
    EXPECT_TRUE(versionCheck().isUpdateModulesInit);
}

TEST_F(VersionCheckTest, TheAnswerWaitsForTheCheckAndIgnoresLetterCase) {
    servers({&first});
    first.addFile("/version/game.v", "9");
    installed({"game"});
    versionCheck().updateModules = {"game"};
    EXPECT_FALSE(Main::isGameNeedUpdate("game"));
    versionCheck().updateModules.clear();
    runCheck();
    EXPECT_TRUE(Main::isGameNeedUpdate("GAME"));
    EXPECT_FALSE(Main::isGameNeedUpdate("other"));
    EXPECT_FALSE(Main::isGameNeedUpdate(std::nullopt));
}

TEST_F(VersionCheckTest, ASecondCheckOfTheRunReturnsAtOnce) {
    servers({&first});
    first.addFile("/version/game.v", "9");
    installed({"game"});
    runCheck();
    versionCheck().updateModules.clear();
    // The second check runs on a thread of its own and is sent no start message: a check that
    // waited for one would never end by itself. It is then woken so that the test can fail.
    std::promise<void> ended;
    std::future<void> end = ended.get_future();
    rt::Ref<rt::Thread> thread = rt::Thread::create([&ended] {
        Main::checkUpdate();
        ended.set_value();
    });
    const bool returned = end.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
    if (!returned) thread->sendMessage(false);
    thread->join();
    EXPECT_TRUE(returned) << "the second check waited for a start message";
    EXPECT_TRUE(versionCheck().updateModules.empty());
    EXPECT_EQ(first.log().countFor("/version/game.v"), 1);
}

}  // namespace
}  // namespace lobby
