// The game-window registry: which window a room opens in, and the lobby window's return.

#include "lobby/app/app_windows.h"
#include "lobby/games/game_match.h"
#include "lobby/games/game_test_support.h"
#include "lobby/games/html_game_window.h"
#include "lobby/games/unity_game_window.h"

namespace lobby {
namespace {

using games::testing::GameTest;

class RegistryTest : public GameTest {
protected:
    RegistryTest() {
        lobbyHandle = handleOf(appWindows().lobbyWindow);
        for (const char* name : {"GameMatch", "PexmorFishGameWindow"}) {
            recorders.push_back(std::make_unique<games::testing::PlugRecorder>(
                name, std::vector<std::string>{"plug_create", "plug_link", "plug_destroy",
                                               "plug_send", "plug_setroom"}));
        }
    }
    std::string lobbyHandle;
    std::vector<std::unique_ptr<games::testing::PlugRecorder>> recorders;
};

TEST_F(RegistryTest, SameRoomTwiceBringsTheFirstWindowForward) {
    Main::openGame(game(0), room(1, 2, 3), false);
    rt::Ref<GameWindow> first = opened<GameWindow>();
    first->show(false);
    appWindows().lobbyWindow->set_minimized(false);
    Main::openGame(game(0), room(1, 2, 3), false);
    ASSERT_EQ(appWindows().gamesWindow->size(), 1);
    EXPECT_TRUE(first->get_visible());
    EXPECT_TRUE(first->pervVisible);
    EXPECT_TRUE(minimized(appWindows().lobbyWindow));
}

TEST_F(RegistryTest, OneWindowOfThePlugInModesButManyOfModeZero) {
    Main::openGame(game(2), room(1, 1, 1), false);
    Main::openGame(game(5), room(9, 9, 9), false);
    ASSERT_EQ(appWindows().gamesWindow->size(), 1)
        << "a fishing game brings the Unity window forward";
    EXPECT_EQ(appWindows().gamesWindow->get(0).as<GameWindow>()->classInfo().name(),
              "UnityGameWindow");
    Main::openGame(game(0), room(2, 1, 1), false);
    Main::openGame(game(0), room(2, 1, 2), false);
    EXPECT_EQ(appWindows().gamesWindow->size(), 3) << "mode 0 windows, one per game key";
}

TEST_F(RegistryTest, EveryModeMakesItsClass) {
    const char* classes[] = {
        "GameWindow",     "PexmorFishGameWindow", "UnityGameWindow", "NPPlugWindow",
        "HtmlGameWindow", "FishGameWindow",       "PlugGameWindow",  "GameMatch"};
    games::testing::PlugRecorder np("NPPlugWindow", {"np_create", "np_link", "np_destroy"});
    for (int32_t mode = 0; mode < 8; ++mode) {
        Main::openGame(game(mode), room(mode, 0, 0), false);
        ASSERT_EQ(appWindows().gamesWindow->size(), 1) << mode;
        EXPECT_EQ(appWindows().gamesWindow->get(0).as<GameWindow>()->classInfo().name(),
                  classes[mode]);
        EXPECT_EQ(appWindows().gamesWindow->get(0).as<GameWindow>()->windowMode, mode);
        Main::destroyGame(mode, 0, 0);
        ASSERT_EQ(appWindows().gamesWindow->size(), 0) << mode;
    }
}

TEST_F(RegistryTest, AbsentModeBecomesZeroAndUnknownModesOpenNothing) {
    const rt::Value info = rt::Record::of({{"app", "cards"}});
    Main::openGame(info, room(1, 1, 1), false);
    ASSERT_EQ(appWindows().gamesWindow->size(), 1);
    EXPECT_EQ(info.get("wmode"), rt::Value(0));
    for (const rt::Value& mode : {rt::Value(8), rt::Value(-1), rt::Value("3"), rt::Value(5.5),
                                  rt::Value(0.5), rt::Value(1e12)}) {
        Main::openGame(rt::Record::of({{"wmode", mode}}), room(4, 4, 4), false);
    }
    EXPECT_EQ(appWindows().gamesWindow->size(), 1);
    Main::openGame(rt::Record::of({{"wmode", 6.0}}), room(4, 4, 4), false);
    ASSERT_EQ(appWindows().gamesWindow->size(), 2) << "a whole number as a float names its mode";
    EXPECT_EQ(appWindows().gamesWindow->get(1).as<GameWindow>()->classInfo().name(),
              "PlugGameWindow");
}

// A game whose mode is not a whole number names no plug-in mode: it does not bring the open
// plug-in window forward, and opens nothing itself.
TEST_F(RegistryTest, ANonIntegralModeIsNoPlugInMode) {
    Main::openGame(game(2), room(1, 1, 1), false);
    ASSERT_EQ(appWindows().gamesWindow->size(), 1);
    appWindows().lobbyWindow->set_minimized(false);
    Main::openGame(rt::Record::of({{"wmode", 5.5}}), room(9, 9, 9), false);
    EXPECT_FALSE(minimized(appWindows().lobbyWindow)) << "the open window was not brought forward";
    EXPECT_EQ(appWindows().gamesWindow->size(), 1);
}

TEST_F(RegistryTest, RoomKeysCompareAsGivenAndAbsentValuesOnlyMatchAbsent) {
    Main::openGame(game(0), rt::Record::of({{"game_type", 1}, {"room_type", 2}}), false);
    Main::openGame(game(0), rt::Record::of({{"game_type", 1}, {"room_type", 2}}), false);
    EXPECT_EQ(appWindows().gamesWindow->size(), 1);
    Main::openGame(game(0), rt::Record::of({{"game_type", 1}, {"room_type", 2}, {"room_level", 0}}),
                   false);
    EXPECT_EQ(appWindows().gamesWindow->size(), 2) << "absent and 0 differ";
    EXPECT_TRUE(Main::getGameWindow(1, 2, 0)) << "the second window has the key";
}

TEST_F(RegistryTest, ClosingTheLastVisibleGameWindowRestoresTheLobby) {
    Main::openGame(game(0), room(1, 1, 1), false);
    Main::openGame(game(0), room(1, 1, 2), false);
    rt::Ref<GameWindow> first = opened<GameWindow>(0);
    rt::Ref<GameWindow> second = opened<GameWindow>(1);
    appWindows().lobbyWindow->set_minimized(true);
    first->on_destroy();
    EXPECT_EQ(appWindows().gamesWindow->size(), 1);
    EXPECT_TRUE(minimized(appWindows().lobbyWindow)) << "another game window is still in view";
    second->on_destroy();
    EXPECT_EQ(appWindows().gamesWindow->size(), 0);
    EXPECT_FALSE(minimized(appWindows().lobbyWindow));
}

TEST_F(RegistryTest, DestroyGameWithoutAWindowOnlyRestoresTheLobby) {
    Main::openGame(game(0), room(1, 1, 1), false);
    rt::Ref<GameWindow> window = opened<GameWindow>();
    appWindows().lobbyWindow->set_minimized(true);
    Main::destroyGame(5, 5, 5);
    EXPECT_EQ(appWindows().gamesWindow->size(), 1);
    EXPECT_TRUE(minimized(appWindows().lobbyWindow)) << "the game window is visible";
    Main::destroyGame(1, 1, 1);
    EXPECT_EQ(appWindows().gamesWindow->size(), 0);
    EXPECT_FALSE(minimized(appWindows().lobbyWindow));
    EXPECT_TRUE(window->isToDestroy);
    EXPECT_EQ(host.calls("cef_window_close").back().args[0], rt::Value(handleOf(window)));
}

TEST_F(RegistryTest, GetGameWindowAnswersTheFirstMatch) {
    Main::openGame(game(0), room(1, 2, 3), false);
    Main::openGame(game(0), room(1, 2, 4), false);
    EXPECT_EQ(Main::getGameWindow(1, 2, 4).get(),
              appWindows().gamesWindow->get(1).as<GameWindow>().get());
    EXPECT_FALSE(Main::getGameWindow(1, 2, 5));
}

}  // namespace
}  // namespace lobby
