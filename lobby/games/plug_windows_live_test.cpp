// The plug-in game windows with the real plug-in libraries and the game stand-in: what each game
// process receives, read from its log, and what the game's texts do in the page.

#include <filesystem>
#include <fstream>

#include "lobby/games/fish_game_window.h"
#include "lobby/games/game_match.h"
#include "lobby/games/game_test_support.h"
#include "lobby/games/np_plug_window.h"
#include "lobby/games/pexmor_fish_game_window.h"
#include "lobby/games/plug_game_window.h"
#include "platform/msgloop/msgloop.h"
#include "plugins/core/testing/game_run.h"
#include "plugins/core/testing/plug_host.h"
#include "runtime/primitive.h"

namespace lobby {
namespace {

using games::testing::GameTest;
using plug::testing::GameRun;
using plug::testing::PumpUntil;

class LiveTest : public GameTest {
protected:
    LiveTest() { plug::testing::StartLoop(); }
    ~LiveTest() override {
        for (const rt::Ref<GameWindow>& window : made) window->on_destroy();
        made.clear();
        for (auto& [className, name] : bound) rt::ClassInfo::find(className)->setStatic(name, {});
        ml_shutdown();
    }

    // Binds the class's primitives from the real library, as its class initialiser does.
    void bind(const std::string& className, const std::string& library,
              std::initializer_list<std::pair<const char*, int>> primitives) {
        for (const auto& [name, count] : primitives) {
            rt::ClassInfo::find(className)->setStatic(
                name, rt::Primitive::load(library, name, count).function());
            bound.emplace_back(className, name);
        }
    }

    // The game program "<folder>/game.exe": the stand-in with the script, as a sample game's
    // program wraps it. Answers the game's app name (the path without ".exe").
    std::string program(const std::string& script, size_t textPrefix) {
        game.Program(script, textPrefix);
        const std::string app = game.folder() + "/game";
        std::ofstream(app + ".exe")
            << "#!/bin/sh\nexec " << game.folder() << "/game --prefix=" << textPrefix
            << " --log=" << game.folder() << "/log --script=" << game.folder() << "/s \"$@\"\n";
        std::filesystem::permissions(app + ".exe", std::filesystem::perms::owner_all);
        return app;
    }

    rt::Value info(int32_t mode, const std::string& app) {
        return rt::Record::of({{"wmode", mode}, {"app", app}, {"id", 7}, {"name", "Live"}});
    }

    template <class W>
    rt::Ref<W> keep(rt::Ref<W> window) {
        made.push_back(window);
        return ready(window);
    }

    bool pageGot(const rt::Ref<cef::CefWindow>& window, const std::string& call) {
        return PumpUntil([&] {
            for (const std::string& c : pageCalls(window)) {
                if (c == call) return true;
            }
            return false;
        });
    }

    std::vector<std::string> decoded(uint16_t main, uint16_t sub) const {
        std::vector<std::string> out;
        for (const auto& m : game.Messages(main, sub)) out.push_back(m.decoded);
        return out;
    }

    GameRun game;
    std::vector<rt::Ref<GameWindow>> made;
    std::vector<std::pair<std::string, std::string>> bound;
};

const std::initializer_list<std::pair<const char*, int>> kPexmor = {
    {"plug_create", 1},    {"plug_link", 3},    {"plug_destroy", 1}, {"plug_send", 3},
    {"plug_closegame", 1}, {"plug_setuser", 2}, {"plug_setroom", 2}};

rt::Value roomRecord() {
    return rt::Record::of({{"userId", 1001},
                           {"tableId", 2},
                           {"chairId", 3},
                           {"serverType", 1},
                           {"serverRule", 5},
                           {"kindId", 8},
                           {"serverId", 9},
                           {"serverName", "Hall"}});
}

TEST_F(LiveTest, MatchGameGetsItsHeldRoomAndTextsWhenItLinks) {
    bind("GameMatch", "PexmorPlug", kPexmor);
    const std::string app =
        program("link\ntext {\"type\":\"game\",\"tag\":\"hi\",\"body\":1}\n", 516);
    auto window = keep(rt::create<GameMatch>(info(7, app), room(1, 4, 1), true));
    window->setShow(true);
    window->onJsCallBack("RoomInfo", rt::Array::of({roomRecord()}));
    window->onJsCallBack("onSocket", rt::Array::of({"first"}));
    window->onJsCallBack("onSocket", rt::Array::of({"second"}));
    ASSERT_TRUE(game.WaitForMessages(1, 2, 2)) << game.Log();
    EXPECT_TRUE(window->process_ready);
    EXPECT_EQ(decoded(3, 102), std::vector<std::string>{
                                   "room table=2 chair=3 user=1001 kind=8 server=9 type=1 rule=5 "
                                   "name=\"Hall\""});
    const auto texts = decoded(1, 2);
    EXPECT_NE(texts[0].find("value=\"first\""), std::string::npos) << texts[0];
    EXPECT_NE(texts[1].find("value=\"second\""), std::string::npos) << texts[1];
    EXPECT_NE(game.Log().find(" room=4\n"), std::string::npos) << game.Log();
    EXPECT_TRUE(pageGot(window, "sendDataToServer[{ type : game, tag : hi, body : 1 }]"));
}

TEST_F(LiveTest, PexmorFishingGameStartsOnSitDownAndGetsItsHeldUser) {
    bind("PexmorFishGameWindow", "PexmorPlug", kPexmor);
    const std::string app = program("link\n", 516);
    auto window = keep(rt::create<PexmorFishGameWindow>(info(1, app), room(2, 3, 1), true,
                                                        rt::Value("/gamepexfish.html")));
    window->onJsCallBack("onSelfSitDown", rt::Array::of({0, 3, 1001, 2}));
    window->onJsCallBack(
        "onUserEnter",
        rt::Array::of(
            {rt::Record::of({{"uid", 1001}, {"nickname", "Ann"}, {"into_moneys", "75"}}), 6, 3}));
    window->onJsCallBack("onSocket", rt::Array::of({"bet"}));
    ASSERT_TRUE(game.WaitForMessages(1, 2)) << game.Log();
    EXPECT_EQ(decoded(4, 100),
              std::vector<std::string>{
                  "user game=1200 user=1001 table=6 chair=3 status=5 score=75 name=\"Ann\""});
    EXPECT_NE(game.Log().find(" room=2\n"), std::string::npos) << game.Log();
    EXPECT_DOUBLE_EQ(window->into_money, 75);
}

TEST_F(LiveTest, PlugGameStartsOnSitDownAndItsReadyFetchesTheRoom) {
    bind("PlugGameWindow", "Sondrel",
         {{"plug_create", 1},
          {"plug_link", 2},
          {"plug_destroy", 1},
          {"plug_send", 2},
          {"plug_setuser", 2},
          {"plug_setroom", 2}});
    const std::string app = program("link\ntext {\"type\":\"game\",\"tag\":\"ready\"}\n", 4);
    auto window = keep(rt::create<PlugGameWindow>(info(6, app), room(3, 1, 2), false));
    window->onJsCallBack("onSelfSitDown", rt::Array::of({5, 2, 1001}));
    ASSERT_TRUE(pageGot(window, "getPlugRoomInfo[]")) << game.Log();
    window->onJsCallBack("RoomInfo", rt::Array::of({roomRecord()}));
    window->onJsCallBack("onSocket", rt::Array::of({"move"}));
    ASSERT_TRUE(game.WaitForMessages(1, 2)) << game.Log();
    EXPECT_EQ(decoded(3, 102).size(), 1u);
    EXPECT_TRUE(pageGot(window, "sendDataToServer[{ type : game, tag : ready, body : null }]"));
}

TEST_F(LiveTest, FishingGameGetsDeskUsersScoresAndState) {
    bind("FishGameWindow", "RavoPlug",
         {{"plug_create", 1},
          {"plug_link", 2},
          {"plug_destroy", 1},
          {"plug_send", 2},
          {"plug_setuser", 2},
          {"plug_setroom", 2},
          {"plug_sendgameconfig", 2},
          {"plug_sendgamestate", 1},
          {"plug_setuserscore", 2},
          {"plug_sendexchangescore", 2},
          {"plug_setuserstatus", 2}});
    const std::string app = program("link\ntext {\"type\":\"game\",\"tag\":\"ready\"}\n", 4);
    auto window = keep(rt::create<FishGameWindow>(info(5, app), room(5, 1, 1), false));
    window->onJsCallBack("onSelfSitDown", rt::Array::of({7, 3, 1001}));
    ASSERT_TRUE(pageGot(window, "getPlugRoomInfo[]")) << game.Log();
    auto desk = rt::Record::of({{"exchange_ratio_userscore", 1},
                                {"exchange_ratio_fishscore", 2},
                                {"exchange_count", 3},
                                {"min_bullet_multiple", 4},
                                {"max_bullet_multiple", 5},
                                {"bomb_range_width", 6},
                                {"bomb_range_height", 7},
                                {"fishes", rt::Array::of({})},
                                {"bullets", rt::Array::of({})}});
    window->onJsCallBack("deskinfo", rt::Array::of({rt::Value(desk)}));
    window->onJsCallBack(
        "onUserEnter",
        rt::Array::of(
            {rt::Record::of(
                 {{"uid", 1002}, {"nickname", "Bo"}, {"into_moneys", "40"}, {"score", 12}}),
             2, 1}));
    window->onJsCallBack("onUserLeave", rt::Array::of({1002, 2, 1}));
    ASSERT_TRUE(game.WaitForMessages(4, 102)) << game.Log();
    ASSERT_TRUE(game.WaitForMessages(1, 2, 2)) << game.Log();
    std::string data;
    for (const std::string& line : decoded(1, 2)) data += line + "\n";
    EXPECT_NE(data.find("state value="), std::string::npos) << data;
    EXPECT_NE(data.find("config x=1 y=2 level=3 elapsed=4 time=5 exper=6 status=7"),
              std::string::npos)
        << data;
    EXPECT_EQ(decoded(4, 101), std::vector<std::string>{"score user=1002 score=40"});
    EXPECT_EQ(decoded(4, 102),
              std::vector<std::string>{"status user=1002 table=2 chair=1 status=0"});
}

TEST_F(LiveTest, GameHostWindowSendsTheRoomTextAndRelaysTexts) {
    bind("NPPlugWindow", "npPlug",
         {{"np_create", 1},
          {"np_link", 4},
          {"np_onmsg", 3},
          {"np_send", 2},
          {"np_unlink", 1},
          {"np_destroy", 1}});
    const std::string app = program("link\nwaitfor 1 2\ntext from the game\n", 4);
    auto window = keep(rt::create<NPPlugWindow>(info(3, app), room(4, 2, 1), false, 5, 2, "77"));
    ASSERT_TRUE(game.WaitForMessages(1, 2)) << game.Log();
    EXPECT_NE(decoded(1, 2)[0].find("\\\"tag\\\":\\\"roominfo\\\""), std::string::npos)
        << decoded(1, 2)[0];
    // The game linked before its page was ready; the page hears it all once it is.
    window->onJsCallBack("setSwfReady", rt::make<rt::Array>());
    EXPECT_TRUE(pageGot(window, R"(sendDataToServer[{"type":"game","tag":"ready"}])"));
    EXPECT_TRUE(pageGot(window, "sendDataToServer[from the game]"));
    window->onJsCallBack("onSocket", rt::Array::of({"to the game"}));
    ASSERT_TRUE(game.WaitForMessages(1, 2, 2)) << game.Log();
}

TEST_F(LiveTest, SampleFishingGameTalksWithItsPageBothWays) {
    bind("FishGameWindow", "RavoPlug",
         {{"plug_create", 1},
          {"plug_link", 2},
          {"plug_destroy", 1},
          {"plug_send", 2},
          {"plug_setuser", 2},
          {"plug_setroom", 2},
          {"plug_sendgameconfig", 2},
          {"plug_sendgamestate", 1},
          {"plug_setuserscore", 2},
          {"plug_sendexchangescore", 2},
          {"plug_setuserstatus", 2}});
    setenv("MORVICK_BIN", plug::testing::ProgramFolder().c_str(), 1);
    setenv("MORVICK_GAME_LOGS", game.folder().c_str(), 1);
    auto window = keep(rt::create<FishGameWindow>(info(5, std::string(MORVICK_EXAMPLES) + "/fish"),
                                                  room(5, 1, 1), false));
    window->onJsCallBack("onSelfSitDown", rt::Array::of({0, 0, 1001}));
    ASSERT_TRUE(pageGot(window, "sendDataToServer[{ type : game, tag : hello, body : fish }]"));
    EXPECT_EQ(pageCalls(window).front(), "getPlugRoomInfo[]") << "asked once the game was ready";
    window->onJsCallBack("onSocket", rt::Array::of({"answer"}));
    ASSERT_TRUE(PumpUntil([&] {
        std::ifstream log(game.folder() + "/fish.log");
        const std::string text((std::istreambuf_iterator<char>(log)), {});
        return text.find("value=\"answer\"") != std::string::npos;
    }));
    unsetenv("MORVICK_BIN");
    unsetenv("MORVICK_GAME_LOGS");
}

}  // namespace
}  // namespace lobby
