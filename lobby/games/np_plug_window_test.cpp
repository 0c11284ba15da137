// The game-host plug-in window: its page, when it links, the room text and the alerts that drop
// the link.

#include "lobby/games/np_plug_window.h"
#include "lobby/games/game_test_support.h"
#include "runtime/json.h"

namespace lobby {
namespace {

class NpPlugTest : public games::testing::PlugWindowTest<NPPlugWindow> {
protected:
    NpPlugTest()
        : PlugWindowTest({"np_create", "np_link", "np_onmsg", "np_send", "np_unlink", "np_destroy"},
                         "np#1") {}

    rt::Ref<NPPlugWindow> make(bool fixSeat, int32_t embed = 0,
                               rt::Value roomRecord = room(4, 2, 1)) {
        auto info =
            rt::Record::of({{"wmode", 3}, {"app", "np"}, {"name", "Np Game"}, {"embed", embed}});
        return create(rt::Value(info), roomRecord, fixSeat, 5, 2, "77");
    }
};

TEST_F(NpPlugTest, OrdinaryWindowLinksAtOnce) {
    auto window = make(false);
    EXPECT_EQ(urlOf(window),
              "resource/gamenp.html?app=np&ad=0&deskno=5&seatno=2&uid=77&name=Np%20Game&wmode=3");
    EXPECT_EQ(plug.calls, (std::vector<std::string>{"np_create(NPPlugWindow)",
                                                    "np_link(np#1, np.exe, w2, w2)"}));
}

TEST_F(NpPlugTest, EmbeddedOrFixedSeatWindowsLinkOnRun) {
    auto embedded = make(false, 1);
    EXPECT_EQ(urlOf(embedded).rfind("resource/gamenp_embed.html?app=np&", 0), 0u);
    auto fixed = make(true);
    EXPECT_EQ(plug.calls.size(), 2u) << "two creates, no link";
    fixed->onJsCallBack("run", rt::Array::of({12, 3}));
    EXPECT_EQ(fixed->_deskNo, 12);
    EXPECT_EQ(fixed->_seatNo, 3);
    EXPECT_EQ(plug.calls.back(), "np_link(np#1, np.exe, w3, w3)");
    fixed->onJsCallBack("setSwfReady", rt::make<rt::Array>());
    fixed->onPlugLink(true);
    const std::string room = plug.values.back()[1].toString();
    EXPECT_NE(room.find(R"("tableId":12,"chairID":3,)"), std::string::npos) << room;
    EXPECT_EQ(pageCalls(fixed).back(), R"(sendDataToServer[{"type":"game","tag":"ready"}])");
    EXPECT_TRUE(minimized(Main::lobbyWindow));
}

TEST_F(NpPlugTest, RoomTextIsValidJsonWhateverTheTitleOrUserHold) {
    auto plain = make(true);
    EXPECT_EQ(plain->roomInfoMessage(),
              R"({"type":"_sys_","tag":"roominfo","body":{"userId":77,"tableId":5,"chairID":2,)"
              R"("gameType":4,"roomType":2,"roomLevel":1,"roomId":1200,"title":"Room"}})");
    auto odd = rt::Record::of({{"game_type", 4}, {"title", "A \"big\" \\ room\n"}});
    auto window = make(true, 0, rt::Value(odd));
    window->_uid = "7\",\"x\":\"1";
    const rt::Value parsed = rt::Json::parse(window->roomInfoMessage());
    EXPECT_EQ(parsed.get("body").get("title"), rt::Value("A \"big\" \\ room\n"));
    EXPECT_EQ(parsed.get("body").get("userId"), rt::Value("7\",\"x\":\"1"));
    EXPECT_EQ(parsed.get("body").get("roomId"), rt::Value(0));
}

TEST_F(NpPlugTest, SystemMessagesAndPageTexts) {
    auto window = make(true);
    window->onSystemMessage("plug", 3, "h");
    window->onSystemMessage("plug", -1, "h9");
    window->onSystemMessage("process", 8, 9);
    window->onSystemMessage("other", -1, 1);
    window->onJsCallBack("onSocket", rt::Array::of({"text"}));
    const std::vector<std::string> tail(plug.calls.begin() + 1, plug.calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"np_link(np#1, np.exe, w2, h9)",
                                              "np_onmsg(np#1, 8, 9)", "np_send(np#1, text)"}));
    window->onJsCallBack("setSwfReady", rt::make<rt::Array>());
    window->onPlugMsg("not json {");
    EXPECT_EQ(pageCalls(window).back(), "sendDataToServer[not json {]");
}

// The ordinary window links as it is made, so the game may link and talk before its page has
// loaded: the page hears all of it, in order, once it reports ready, and what comes later at once.
TEST_F(NpPlugTest, WhatTheGameSaysBeforeThePageIsReadyReachesThePageAfterIt) {
    auto window = make(false);
    window->onPlugLink(false);
    window->onPlugMsg(R"({"tag":"hello"})");
    window->onGameClose(0);
    EXPECT_TRUE(pageCalls(window).empty());
    window->onJsCallBack("setSwfReady", rt::make<rt::Array>());
    window->onPlugMsg(R"({"tag":"thanks"})");
    const std::vector<std::string> calls = pageCalls(window);
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[0].rfind("openGame[", 0), 0u) << calls[0];
    EXPECT_EQ(std::vector<std::string>(calls.begin() + 1, calls.end()),
              (std::vector<std::string>{R"(sendDataToServer[{"type":"game","tag":"ready"}])",
                                        R"(sendDataToServer[{"tag":"hello"}])", "onGameClose[]",
                                        R"(sendDataToServer[{"tag":"thanks"}])"}));
}

// Every alert reaches the lobby; exactly the eight listed ones drop the game's link, and only
// while the window holds a plug-in handle.
TEST_F(NpPlugTest, ConnectionAlertsDropTheLink) {
    auto window = make(true);
    std::vector<std::string> unlinkedBy;
    for (const std::string& text : games::testing::allAlerts()) {
        plug.calls.clear();
        window->gameAlert(text);
        if (plug.calls == std::vector<std::string>{"np_unlink(np#1)"}) unlinkedBy.push_back(text);
    }
    EXPECT_EQ(unlinkedBy, games::testing::kLinkAlerts);
    EXPECT_EQ(lobbyCalls().size(), games::testing::allAlerts().size());
    window->destroyPlug();
    plug.calls.clear();
    window->gameAlert(games::testing::kLinkAlerts[0]);
    EXPECT_EQ(plug.calls, std::vector<std::string>{});
}

TEST_F(NpPlugTest, VisibilityOnlyForAnEmbeddedGame) {
    auto window = make(true);
    window->setShow(true);
    EXPECT_FALSE(window->get_visible());
    EXPECT_FALSE(window->onClose());
    auto embedded = make(true, 1);
    embedded->setShow(true);
    EXPECT_TRUE(embedded->get_visible());
    EXPECT_TRUE(embedded->onClose());
    embedded->on_destroy();
    EXPECT_EQ(plug.calls.back(), "np_destroy(np#1)");
    EXPECT_TRUE(embedded->gamePlug.isNull());
}

}  // namespace
}  // namespace lobby
