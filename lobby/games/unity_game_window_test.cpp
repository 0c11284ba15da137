// The Unity game window: its size and place on the screen, its region and its page calls.

#include "lobby/games/unity_game_window.h"
#include "lobby/app/app_windows.h"
#include "lobby/app/screen_metrics.h"
#include "lobby/games/game_test_support.h"

namespace lobby {
namespace {

using games::testing::GameTest;
using games::testing::kHeight;
using games::testing::kLeft;
using games::testing::kTop;
using games::testing::kWidth;

class UnityGameTest : public GameTest {
protected:
    // Made, before its browser reports ready (which grows the window by one pixel).
    rt::Ref<UnityGameWindow> make() {
        auto info = rt::Record::of(
            {{"wmode", 2}, {"unityurl", "http://127.0.0.1/u.unity3d?a=1&b=2"}, {"name", "U"}});
        return rt::create<UnityGameWindow>(rt::Value(info), room(6, 1, 1), false, 3, 4, "u1");
    }
};

TEST_F(UnityGameTest, LargeScreenGivesTheFullSize) {
    screenMetrics().windowFullHeight = 1004;
    auto window = make();
    EXPECT_EQ(prop(window, kWidth), rt::Value(1285));
    EXPECT_EQ(prop(window, kHeight), rt::Value(768));
    EXPECT_EQ(prop(window, kLeft), rt::Value(315));
    EXPECT_EQ(prop(window, kTop), rt::Value(120));
    EXPECT_EQ(urlOf(window),
              "resource/gameunity.html?url=http%3A%2F%2F127.0.0.1%2Fu.unity3d%3Fa%3D1%26b%3D2&ad="
              "null&deskno=3&seatno=4&uid=u1&name=U");
}

TEST_F(UnityGameTest, SmallScreenScalesDown) {
    screenMetrics().screenWidth = 1024;
    screenMetrics().windowFullHeight = 738;
    auto window = make();
    EXPECT_EQ(prop(window, kWidth), rt::Value(1025));
    EXPECT_EQ(prop(window, kHeight), rt::Value(618));
    const auto region = host.calls("window_setround").back();
    EXPECT_EQ(region.args[1].get("width"), rt::Value(1026));
}

TEST_F(UnityGameTest, ResizeReappliesTheRegion) {
    auto window = make();
    setProp(window, kWidth, 800);
    setProp(window, kHeight, 600);
    EXPECT_TRUE(window->onSize());
    const auto region = host.calls("window_setround").back();
    EXPECT_EQ(region.args[1].get("width"), rt::Value(801));
    EXPECT_EQ(region.args[1].get("height"), rt::Value(601));
    EXPECT_EQ(region.args[2].get("width"), rt::Value(5.0));
}

TEST_F(UnityGameTest, GameDataAndLeavingReachTheLobby) {
    auto window = ready(make());
    appWindows().lobbyWindow->set_minimized(true);
    window->onJsCallBack("sendGameDataToServer", rt::Array::of({"d"}));
    EXPECT_TRUE(window->onClose());
    EXPECT_EQ(lobbyCalls(), (std::vector<std::string>{"sendGameDataToServer[6,1,1,d]",
                                                      "onAccountEvent[6,1,1,wnd_game_leave]"}));
    EXPECT_FALSE(minimized(appWindows().lobbyWindow));
}

}  // namespace
}  // namespace lobby
