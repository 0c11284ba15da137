#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lobby/app/app_windows.h"
#include "lobby/app/lobby_window.h"
#include "lobby/app/window_test_support.h"

namespace lobby {
namespace {

class LobbySystemMessageTest : public testing::LobbyAndLoginTest {
protected:
    bool message(const char* kind, rt::Value a = {}, rt::Value b = {}) {
        return lobby->onSystemMessage(kind, a, b);
    }
    // Right-clicks the tray icon with the menu answering `chosen`.
    void trayMenu(int32_t chosen) {
        host.answer("win_show_popup_menu", chosen);
        message("tray", 0, 517);
    }
    std::vector<std::string> order() const {
        std::vector<std::string> out;
        for (const auto& c : host.calls()) {
            if (c.name == "cef_window_show" || c.name.rfind("win_", 0) == 0) out.push_back(c.name);
        }
        return out;
    }
};

TEST_F(LobbySystemMessageTest, TheTrayMenuShowsTheLobbyFirstAndOffersItsThreeItems) {
    trayMenu(0);
    EXPECT_EQ(order(),
              (std::vector<std::string>{"win_popup_menu_create", "win_add_menu_item",
                                        "win_add_menu_item", "win_add_menu_item", "cef_window_show",
                                        "win_show_popup_menu", "win_destroy_menu"}));
    auto items = host.calls("win_add_menu_item");
    EXPECT_EQ(items[0].args[1], rt::Value("关于"));
    EXPECT_EQ(items[0].args[2], rt::Value(9004));
    EXPECT_EQ(items[1].args[2], rt::Value(9003));
    EXPECT_EQ(items[2].args[1], rt::Value("退出"));
    EXPECT_EQ(items[2].args[2], rt::Value(9002));
    EXPECT_EQ(host.calls("win_show_popup_menu")[0].args[0], rt::Value("lobby"));
    EXPECT_EQ(host.count("dialogs_message_box"), 0);
    EXPECT_EQ(host.count("cef_app_quit"), 0);
}

TEST_F(LobbySystemMessageTest, QuitFromTheTrayStopsTheDownloadsBeforeQuitting) {
    auto engine = rt::create<testing::Recorder>();
    lobby->downloadGame = engine;
    host.answer("cef_app_quit", [&](auto) {
        EXPECT_EQ(engine->calls.size(), 1u);
        return rt::Value();
    });
    trayMenu(9002);
    EXPECT_EQ(host.count("cef_app_quit"), 1);
    EXPECT_EQ(engine->calls[0].first, "OnDestroy");
    EXPECT_FALSE(lobby->downloadGame);
}

TEST_F(LobbySystemMessageTest, UpdateAndAboutShowMessageBoxes) {
    Config::userSets["ver"] = "3.2";
    trayMenu(9003);
    trayMenu(9004);
    auto boxes = host.calls("dialogs_message_box");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].args[0], rt::Value("更新提示"));
    EXPECT_EQ(boxes[0].args[1], rt::Value("不需要更新"));
    EXPECT_EQ(boxes[1].args[0], rt::Value("关于"));
    EXPECT_EQ(boxes[1].args[1], rt::Value("Lobby 3.2"));
}

TEST_F(LobbySystemMessageTest, ADoubleClickTogglesMinimisingOnlyWhenVisible) {
    EXPECT_TRUE(message("tray", 0, 515));
    EXPECT_TRUE(prop("lobby", testing::kMinimized).isNull());
    lobby->show(true);
    message("tray", 0, 515);
    EXPECT_EQ(prop("lobby", testing::kMinimized), rt::Value(true));
    message("tray", 0, nullptr);
    message("tray", 0, 512);
    EXPECT_EQ(host.count("win_popup_menu_create"), 0);
}

TEST_F(LobbySystemMessageTest, BeforeTheFirstLoginTheBossKeyMakesNoTrayIcon) {
    login->set_enabled(true);
    message("hotkey");
    EXPECT_TRUE(appWindows().isHotKey);
    message("hotkey");
    EXPECT_FALSE(appWindows().isHotKey);
    EXPECT_EQ(host.count("systray_create_icon"), 0);
    EXPECT_EQ(host.count("systray_destroy_icon"), 0);
}

TEST_F(LobbySystemMessageTest, TheBossKeyRemovesTheTrayIconAndMakesANewOneBeforeShowing) {
    lobby->onJsCallBack("setLoginState", rt::Array::of({1}));
    ASSERT_TRUE(appWindows().tray);
    host.clearCalls();
    message("hotkey");
    EXPECT_TRUE(appWindows().isHotKey);
    EXPECT_FALSE(appWindows().tray);
    EXPECT_EQ(host.count("systray_destroy_icon"), 1);
    message("hotkey");
    EXPECT_FALSE(appWindows().isHotKey);
    EXPECT_TRUE(appWindows().tray);
    EXPECT_EQ(host.count("systray_create_icon"), 1);
}

TEST_F(LobbySystemMessageTest, TheBossKeyDoesNothingWhileThePageRecordsANewKey) {
    lobby->onJsCallBack("hotkeySet", rt::Array::of({1}));
    EXPECT_TRUE(LobbyWindow::isHotKeySetting);
    message("hotkey");
    EXPECT_FALSE(appWindows().isHotKey);
    lobby->onJsCallBack("hotkeySet", rt::Array::of({0}));
    message("hotkey");
    EXPECT_TRUE(appWindows().isHotKey);
}

TEST_F(LobbySystemMessageTest, ASecondCopyBringsBackTheLoginOrTheLobbyWindow) {
    setProp("login", testing::kMinimized, true);
    EXPECT_TRUE(message("newapp"));
    EXPECT_EQ(prop("login", testing::kMinimized), rt::Value(false));
    ASSERT_EQ(host.count("cef_window_show"), 1);
    EXPECT_EQ(host.calls("cef_window_show")[0].args[0], rt::Value("login"));
    lobby->isLogin = true;
    message("newapp");
    EXPECT_EQ(host.calls("cef_window_show")[1].args[0], rt::Value("lobby"));
    EXPECT_TRUE(message("other"));
}

}  // namespace
}  // namespace lobby
