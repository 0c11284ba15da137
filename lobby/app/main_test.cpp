#include "lobby/app/main.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>

#include "lobby/app/app_windows.h"
#include "lobby/app/config.h"
#include "lobby/app/download_settings.h"
#include "lobby/app/install_paths.h"
#include "lobby/app/lobby_window.h"
#include "lobby/app/login_window.h"
#include "lobby/app/screen_metrics.h"
#include "lobby/app/version_check.h"
#include "lobby/app/version_servers.h"
#include "lobby/app/window_test_support.h"
#include "lobby/bindings/cef/cef_app.h"
#include "lobby/bindings/cef/cef_settings.h"
#include "lobby/bindings/fake_host.h"
#include "runtime/bytes.h"
#include "runtime/class_info.h"
#include "runtime/file.h"
#include "runtime/file_system.h"
#include "runtime/record.h"
#include "runtime/strings.h"
#include "runtime/test_folder.h"

namespace lobby {
namespace {

namespace fs = std::filesystem;

const fs::path kSampleInstall = fs::path(__FILE__).parent_path() / "../../examples/install";

rt::Value identity(std::span<const rt::Value> args) {
    return args.empty() ? rt::Value() : args[0];
}

// Start-up in a copy of the sample installation, with a fake browser host and system library.
class MainTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy(kSampleInstall, install.path(), fs::copy_options::recursive);
        previousFolder = fs::current_path();
        fs::current_path(install.path());
        setenv("SystemRoot", (system / "Windows").c_str(), 1);
        setenv("APPDATA", (system / "AppData").c_str(), 1);
        host.answer("cef_ansi2unicode", bindings::FakeHost::Answer(identity));
        host.answer("cef_unicode2ansi", bindings::FakeHost::Answer(identity));
        host.answer("cef_app_registeinstance", rt::Value(true));
        host.answer("display_get_screen_size",
                    rt::Value(rt::Record::of({{"w", 1920}, {"h", 1080}})));
        host.answer("cef_getsystemmetrics", [](std::span<const rt::Value> args) {
            switch (args[0].toInt()) {
                case 17:
                    return rt::Value(1040);
                case 4:
                    return rt::Value(23);
                default:
                    return rt::Value(4);
            }
        });
        Config::machineCodeStr.reset();
    }
    void TearDown() override {
        if (versionCheck().thread) versionCheck().thread->join();
        versionCheck().thread = nullptr;
        versionCheck().isUpdateChecking = false;
        versionCheck().isUpdateModulesInit = false;
        testing::forgetWindows();
        Config::machineCodeStr.reset();
        fs::current_path(previousFolder);
    }
    void setClientValue(const std::string& element) {
        const std::string path = install / "Client.ini";
        std::string text = rt::File::getContent(path);
        text.insert(text.rfind("</"), element);
        rt::File::saveContent(path, text);
    }
    rt::Ref<cef::CefSettings> settingsGiven() {
        const auto calls = host.calls("cef_app_main");
        return calls.size() == 1 ? calls[0].args[1].as<cef::CefSettings>() : nullptr;
    }

    bindings::FakeHost host;
    rt::testing::TestFolder install;
    rt::testing::TestFolder system;
    fs::path previousFolder;
};

TEST_F(MainTest, StartUpSetsPathsMetricsAndBrowserSettingsThenEntersTheLoop) {
    Main::main();
    // The version check runs at once and moves the current server on as servers fail; let it end
    // before reading what it shares.
    ASSERT_NE(versionCheck().thread, nullptr);
    versionCheck().thread->join();
    EXPECT_EQ(installPaths().appPath, install.path() + "/");
    EXPECT_EQ(screenMetrics().screenWidth, 1920);
    EXPECT_EQ(screenMetrics().windowFullHeight, 1040);
    EXPECT_EQ(screenMetrics().windowInitW, 1536);
    EXPECT_EQ(screenMetrics().windowInitH, 832);
    EXPECT_EQ(screenMetrics().captionHeight, 23);
    EXPECT_EQ(downloadSettings().updateLocalRoot, installPaths().appPath + "app_update");
    EXPECT_EQ(versionCheck().serverUrls, builtInVersionServers());
    const std::vector<std::string> servers = builtInVersionServers();
    EXPECT_NE(std::find(servers.begin(), servers.end(), versionCheck().currentServerUrl),
              servers.end())
        << versionCheck().currentServerUrl;
    EXPECT_EQ(versionCheck().httpEtag.rfind("?r=0", 0), 0u) << versionCheck().httpEtag;
    EXPECT_EQ(installPaths().localRes, "resource");
    ASSERT_NE(appWindows().gamesWindow, nullptr);
    EXPECT_EQ(appWindows().gamesWindow->size(), 0);

    rt::Ref<cef::CefSettings> settings = settingsGiven();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->locale, "en-US");
    EXPECT_EQ(settings->logSeverity, 0);
    ASSERT_EQ(settings->extraPluginPaths->size(), 1);
    EXPECT_EQ(settings->extraPluginPaths->get(0).toString(),
              rt::replaceAll(installPaths().appPath, "/", "\\") + "plugin\\NPSWF32.dll");
    EXPECT_EQ(host.calls("cef_app_registeinstance")[0].args[0], rt::Value("Morvick Lobby"));
    EXPECT_FALSE(cef::CefApp::onQuit.isNull());
}

TEST_F(MainTest, BuiltInServersFollowTheConfiguredOnes) {
    for (const std::string& server : builtInVersionServers()) {
        EXPECT_TRUE(server.starts_with("http://127.0.0.1:")) << server;
        EXPECT_TRUE(server.ends_with("/version/")) << server;
    }
    setClientValue("<ver_url>http://127.0.0.1:1/a/|http://127.0.0.1:2/b/</ver_url>");
    setClientValue("<logSeverity>3 (warnings)</logSeverity>");
    Main::main();
    ASSERT_EQ(versionCheck().serverUrls.size(), 10u);
    EXPECT_EQ(versionCheck().serverUrls[0], "http://127.0.0.1:1/a/");
    EXPECT_EQ(versionCheck().serverUrls[1], "http://127.0.0.1:2/b/");
    EXPECT_EQ(versionCheck().serverUrls[2], builtInVersionServers()[0]);
    EXPECT_EQ(settingsGiven()->logSeverity, 3);
}

// A log level too large for an integer gives no level; start-up goes on into the loop.
TEST_F(MainTest, AnOutOfRangeLogSeverityGivesNoLevelAndStartUpGoesOn) {
    setClientValue("<logSeverity>99999999999</logSeverity>");
    Main::main();
    ASSERT_NE(settingsGiven(), nullptr);
    EXPECT_EQ(settingsGiven()->logSeverity, 0);
}

// The version check's statics and the archive's entries are read and written by name like every
// other static of Main.
TEST_F(MainTest, VersionAndArchiveStaticsAreReadAndWrittenByName) {
    const rt::ClassInfo* info = rt::ClassInfo::find("Main");
    ASSERT_NE(info, nullptr);
    info->setStatic("update_ServerUrls_arr",
                    rt::Value(rt::Array::of({"http://127.0.0.1:1/version/", 7})));
    EXPECT_EQ(versionCheck().serverUrls,
              (std::vector<std::string>{"http://127.0.0.1:1/version/", "7"}));
    EXPECT_EQ(info->getStatic("update_ServerUrls_arr").asArray()->get(1), rt::Value("7"));

    info->setStatic("updateVersion", rt::Value(rt::Record::of({{"fishing", "3"}})));
    EXPECT_EQ(versionCheck().updateVersion, (std::map<std::string, std::string>{{"fishing", "3"}}));
    info->setStatic("updateModules", rt::Value(rt::Array::of({"fishing"})));
    EXPECT_EQ(versionCheck().updateModules, std::vector<std::string>{"fishing"});
    EXPECT_EQ(info->getStatic("updateModules").asArray()->size(), 1);
    EXPECT_EQ(info->getStatic("updateVersion").get("fishing"), rt::Value("3"));

    EXPECT_TRUE(info->getStatic("resourceFilesData").isNull());
    const rt::Value page(rt::Bytes::of("<html>"));
    info->setStatic("resourceFilesData", rt::Value(rt::Record::of({{"lobby.html", page}})));
    ASSERT_TRUE(installPaths().resourceFilesData.has_value());
    EXPECT_EQ(installPaths().resourceFilesData->at("lobby.html").get(), page.asBytes().get());
    EXPECT_EQ(info->getStatic("resourceFilesData").get("lobby.html"), page);
    info->setStatic("resourceFilesData", rt::Value());
    EXPECT_FALSE(installPaths().resourceFilesData.has_value());

    versionCheck().serverUrls.clear();
    versionCheck().updateVersion.clear();
    versionCheck().updateModules.clear();
}

TEST_F(MainTest, ASecondCopyQuitsBeforeAnythingStarts) {
    host.answer("cef_app_registeinstance", rt::Value(false));
    Main::main();
    EXPECT_EQ(host.count("cef_app_quit"), 1);
    EXPECT_EQ(host.count("cef_app_main"), 0);
    EXPECT_EQ(host.count("display_get_screen_size"), 0);
    EXPECT_EQ(versionCheck().thread, nullptr);
}

TEST_F(MainTest, AShortPathIsReplacedByTheProgramFolder) {
    const fs::path shortPath = install / "PROGRA~1";
    fs::create_directory(shortPath);
    fs::current_path(shortPath);
    // The test program's folder holds no installation, so the start ends at the settings.
    EXPECT_ANY_THROW(Main::main());
    const std::string exeFolder = fs::path(rt::FileSystem::executablePath()).parent_path();
    EXPECT_EQ(installPaths().appPath, exeFolder + "/");
    EXPECT_EQ(fs::current_path(), exeFolder);
}

TEST_F(MainTest, InitMakesTheWindowsAndRegistersTheBossKey) {
    host.answer("cef_app_main", [](std::span<const rt::Value> args) {
        args[0].call({});
        return rt::Value();
    });
    host.answer("cef_app_registerhotkey", rt::Value(-1));
    ::testing::internal::CaptureStdout();
    Main::main();
    const std::string out = ::testing::internal::GetCapturedStdout();
    ASSERT_NE(appWindows().lobbyWindow, nullptr);
    ASSERT_NE(appWindows().loginWindow, nullptr);
    EXPECT_EQ(appWindows().loginWindow->wndType, 0);
    EXPECT_TRUE(appWindows().browserSet->webSecurityDisabled);
    EXPECT_TRUE(appWindows().browserSet->universalAccessFromFileUrlsAllowed);
    const auto filters = host.calls("cef_app_setfilterpath");
    ASSERT_EQ(filters.size(), 1u);
    EXPECT_EQ(filters[0].args[0].asArray()->get(0), rt::Value("/resource/"));
    EXPECT_EQ(filters[0].args[0].asArray()->get(1), rt::Value("/LobbyClientMain.swf"));
    // The sample's boss key is enabled; a failed registration is only traced.
    EXPECT_EQ(host.count("cef_app_registerhotkey"), 1);
    EXPECT_NE(out.find("hot key error"), std::string::npos) << out;

    // Quitting destroys the game windows that have a native window, once.
    rt::Ref<cef::CefWindow> open = rt::make<cef::CefWindow>();
    open->_handle = 5;
    rt::Ref<cef::CefWindow> notYetOpen = rt::make<cef::CefWindow>();
    appWindows().gamesWindow->push(open);
    appWindows().gamesWindow->push(notYetOpen);
    host.clearCalls();
    cef::CefApp::quit();
    cef::CefApp::quit();
    EXPECT_EQ(host.count("cef_app_unregisterhotkey"), 1);
    const auto closes = host.calls("cef_window_close");
    ASSERT_EQ(closes.size(), 1u);
    EXPECT_EQ(closes[0].args[0], rt::Value(5));
}

TEST_F(MainTest, TheBossKeyTogglesOnlyTheLoginWindowBeforeLogin) {
    host.answer("cef_app_main", [](std::span<const rt::Value> args) {
        args[0].call({});
        return rt::Value();
    });
    host.answer("window_get_prop", rt::Value(1));
    Main::main();
    appWindows().loginWindow->_handle = 11;
    appWindows().lobbyWindow->_handle = 12;
    host.clearCalls();
    appWindows().isHotKey = false;
    Main::onHotkey();
    Main::onHotkey();
    const auto shows = host.calls("cef_window_show");
    ASSERT_EQ(shows.size(), 2u);
    for (const auto& call : shows) EXPECT_EQ(call.args[0], appWindows().loginWindow->_handle);
    EXPECT_EQ(shows[0].args[1], rt::Value(false));
    EXPECT_EQ(shows[1].args[1], rt::Value(true));
}

}  // namespace
}  // namespace lobby
