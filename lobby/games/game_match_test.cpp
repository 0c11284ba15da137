// The match game window: held-back rooms and texts until the game links, alerts, and the
// window's end when its game ends.

#include "lobby/games/game_match.h"
#include "lobby/games/game_test_support.h"

namespace lobby {
namespace {

class GameMatchTest : public games::testing::PlugWindowTest<GameMatch> {
protected:
    GameMatchTest()
        : PlugWindowTest({"plug_create", "plug_link", "plug_destroy", "plug_send", "plug_closegame",
                          "plug_setroom"},
                         "plug#1") {}

    rt::Ref<GameMatch> make(bool fixSeat) {
        auto info = rt::Record::of({{"wmode", 7}, {"app", "match"}, {"id", 3}});
        return create(rt::Value(info), room(1, 4, 1), fixSeat);
    }
};

TEST_F(GameMatchTest, HeldRoomsThenTextsReachTheGameWhenItLinks) {
    auto window = make(true);
    window->onJsCallBack("onSocket", rt::Array::of({"early"}));
    window->setShow(true);
    EXPECT_TRUE(window->process_exist);
    window->onJsCallBack("onSocket", rt::Array::of({"one"}));
    window->onJsCallBack("RoomInfo", rt::Array::of({rt::Record::of({{"serverId", 9}})}));
    window->onJsCallBack("onSocket", rt::Array::of({"two"}));
    window->setShow(true);
    window->onPlugLink(false);
    window->onJsCallBack("RoomInfo", rt::Array::of({rt::Record::of({{"serverId", 10}})}));
    const std::vector<std::string> expected = {
        "plug_create(GameMatch)",
        "plug_link(plug#1, match.exe, 4)",
        "plug_setroom(plug#1, { serverId : 9 })",
        "plug_send(plug#1, one, true)",
        "plug_send(plug#1, two, true)",
        "plug_setroom(plug#1, { serverId : 10 })",
    };
    EXPECT_EQ(plug.calls, expected) << "the early text is dropped by the start; one start only";
    EXPECT_EQ(pageCalls(window), std::vector<std::string>{"getPlugRoomInfo[]"});
    EXPECT_EQ(GameMatch::plugLibrary.msg_packet_arr->size(), 0);
    EXPECT_EQ(GameMatch::plugLibrary.msg_room_arr->size(), 0);
}

// The window's trace lines, each from its own source line.
TEST_F(GameMatchTest, TracesTheStartTheLinkAndTheTexts) {
    ::testing::internal::CaptureStdout();
    auto window = make(false);
    window->setShow(true);
    window->onJsCallBack("onSocket", rt::Array::of({"bet"}));
    window->onPlugLink(false);
    window->onPlugMsg(R"({"tag":"won"})");
    const std::string out = ::testing::internal::GetCapturedStdout();
    std::vector<std::string> messages;
    for (size_t at = 0, end; (end = out.find('\n', at)) != std::string::npos; at = end + 1) {
        const std::string line = out.substr(at, end - at);
        EXPECT_EQ(line.rfind("game_match.cpp:", 0), 0u) << line;
        messages.push_back(line.substr(line.find(": ") + 2));
    }
    const std::vector<std::string> expected = {"GameMatch",    "setShow:true",
                                               "setShow:true", "recivemsg<-----bet",
                                               "plug link",    R"(SendMsg----->:{"tag":"won"})"};
    EXPECT_EQ(messages, expected) << "the construction's setShow finds no handle yet";
}

TEST_F(GameMatchTest, RoomBeforeTheStartIsDroppedAndAskedForAgain) {
    auto window = make(true);
    window->onJsCallBack("RoomInfo", rt::Array::of({rt::Record::of({{"serverId", 1}})}));
    window->setShow(true);
    window->onPlugLink(true);
    EXPECT_EQ(plug.calls.size(), 2u) << plug.calls.back();
    EXPECT_EQ(pageCalls(window), std::vector<std::string>{"getPlugRoomInfo[]"});
}

TEST_F(GameMatchTest, AlertsAreTracedSentToTheGameOrToTheLobby) {
    auto window = make(false);
    window->onPlugLink(true);
    plug.calls.clear();
    window->gameAlert("连接超时，是否重新连接?");
    EXPECT_TRUE(plug.calls.empty());
    window->gameAlert("房间已关闭！");
    ASSERT_EQ(plug.calls.size(), 1u);
    EXPECT_EQ(plug.values[plug.values.size() - 1][1],
              rt::Value(R"({"type":"game","tag":"alert","body":"房间已关闭！"})"));
    EXPECT_TRUE(lobbyCalls().empty());

    auto fixed = make(true);
    fixed->gameAlert("房间已关闭！");
    EXPECT_EQ(lobbyCalls(), std::vector<std::string>{"gameAlert[1,4,1,Room,房间已关闭！]"});
}

TEST_F(GameMatchTest, GameCloseDestroysTheWindowOnlyAfterTheCallback) {
    auto window = make(false);
    window->setShow(true);
    window->onGameClose(0);
    EXPECT_FALSE(window->process_exist);
    EXPECT_FALSE(window->isToDestroy) << "the plug-in is still on the stack";
    runTasks(window);
    EXPECT_TRUE(window->isToDestroy);
    EXPECT_TRUE(pageCallArgs(window, "closeGameWindow").empty()) << "no fixed-seat question";
}

TEST_F(GameMatchTest, WithoutAPlugInTextsAreDroppedAndNothingStarts) {
    plug.answers.erase("plug_create");
    auto window = make(false);
    window->onJsCallBack("onSocket", rt::Array::of({"lost"}));
    window->setShow(true);
    window->onPlugLink(true);
    window->onJsCallBack("RoomInfo", rt::Array::of({rt::Record::of({})}));
    window->closeExeGame();
    EXPECT_EQ(plug.calls, std::vector<std::string>{"plug_create(GameMatch)"});
    EXPECT_EQ(GameMatch::plugLibrary.msg_packet_arr->size(), 0);
}

TEST_F(GameMatchTest, DestroyFreesThePlugInAndALaterRoomDoesNotReachIt) {
    auto window = make(false);
    Main::gamesWindow->push(rt::Value(window));
    window->onPlugLink(true);
    window->on_destroy();
    window->onJsCallBack("RoomInfo", rt::Array::of({rt::Record::of({})}));
    EXPECT_EQ(plug.calls.back(), "plug_destroy(plug#1)");
    EXPECT_EQ(Main::gamesWindow->size(), 0);
}

TEST_F(GameMatchTest, GameTextsReachThePageAsPacketsAndBrokenTextsDoNot) {
    auto window = make(false);
    window->onPlugMsg(R"({"type":"game","tag":"bet","body":{"n":5},"x":1})");
    window->onPlugMsg("not json");
    window->onPlugMsg("[1,2]");
    EXPECT_EQ(
        pageCalls(window),
        std::vector<std::string>{"sendDataToServer[{ type : game, tag : bet, body : { n : 5 } }]"});
}

}  // namespace
}  // namespace lobby
