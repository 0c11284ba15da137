// The plug-in session on its own: what it holds back and hands on when the game links, the
// start and link of the game, the "ready" rule, and freeing the plug-in instance.

#include "lobby/games/plug_session.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "lobby/games/fish_game_window.h"
#include "lobby/games/game_match.h"
#include "lobby/games/pexmor_fish_game_window.h"
#include "lobby/games/plug_game_window.h"
#include "runtime/class_info.h"
#include "runtime/function.h"
#include "runtime/json.h"
#include "runtime/record.h"

namespace lobby::games {
namespace {

// A session without a window: the operations a window adds are not reached here.
class Session : public PlugSession {
public:
    Session(PlugLibrary& library, Held held) : PlugSession(library, held) {}
    void onGameClose(rt::Value) override {}
    void onPlugMsg(std::optional<std::string>) override {}
    void onPlugLink(rt::Value) override {}
    void sendRoomInfo() override {}
    void sendData(std::string) override {}
};

// A library whose primitives record their calls as "name(arg, ...)"; plug_create answers
// `handle` and, while plug_destroy runs, `whileDestroying` is called.
class PlugSessionTest : public ::testing::Test {
protected:
    PlugSessionTest() {
        library.msg_packet_arr = rt::make<rt::Array>();
        library.msg_user_arr = rt::make<rt::Array>();
        library.msg_room_arr = rt::make<rt::Array>();
        record(library.plug_create, "plug_create", [this] { return handle; });
        record(library.plug_link, "plug_link");
        record(library.plug_destroy, "plug_destroy", [this] {
            if (whileDestroying) whileDestroying();
            return rt::Value();
        });
        record(library.plug_send, "plug_send");
        record(library.plug_setuser, "plug_setuser");
        record(library.plug_setroom, "plug_setroom");
    }

    void record(
        rt::Primitive& primitive, const std::string& name,
        std::function<rt::Value()> answer = [] { return rt::Value(); }) {
        primitive.replace(
            rt::Value(rt::Function::of(name, [this, name, answer](std::span<const rt::Value> args) {
                std::string call = name + "(";
                for (size_t i = 0; i < args.size(); ++i) {
                    call += (i ? ", " : "") + args[i].toString();
                }
                calls.push_back(call + ")");
                return answer();
            })));
    }

    static rt::Value room(int32_t id) { return rt::Record::of({{"serverId", id}}); }
    static rt::Value user(int32_t id) { return rt::Record::of({{"userId", id}}); }

    PlugLibrary library;
    rt::Value handle = "plug#1";
    std::function<void()> whileDestroying;
    std::vector<std::string> calls;
};

TEST_F(PlugSessionTest, HeldRecordsReachTheGameInOrderWhenItLinks) {
    Session session(library, PlugSession::Held::UsersRoomsAndTexts);
    session.createPlug("window");
    ASSERT_TRUE(session.canStart());
    session.startGame("pexfish.exe", 2);
    session.sendText("t1", false);
    session.sendRoom(room(1));
    session.sendUser(user(7));
    session.sendText("t2", false);
    session.sendRoom(room(2));
    session.sendUser(user(8));
    EXPECT_EQ(calls.size(), 2u) << "nothing reaches the plug-in before the link";
    session.gameLinked();
    session.sendText("t3", false);
    session.sendRoom(room(3));
    const std::vector<std::string> expected = {
        "plug_create(window)",
        "plug_link(plug#1, pexfish.exe, 2)",
        "plug_setuser(plug#1, { userId : 7 })",
        "plug_setuser(plug#1, { userId : 8 })",
        "plug_setroom(plug#1, { serverId : 1 })",
        "plug_setroom(plug#1, { serverId : 2 })",
        "plug_send(plug#1, t1, true)",
        "plug_send(plug#1, t2, true)",
        "plug_send(plug#1, t3, false)",
        "plug_setroom(plug#1, { serverId : 3 })",
    };
    EXPECT_EQ(calls, expected) << "replayed texts go at once, later ones with their own flag";
    EXPECT_EQ(library.msg_packet_arr->size(), 0);
    EXPECT_EQ(library.msg_user_arr->size(), 0);
    EXPECT_EQ(library.msg_room_arr->size(), 0);
}

TEST_F(PlugSessionTest, StartDropsWhatCameBeforeAndStartsOnce) {
    Session session(library, PlugSession::Held::RoomsAndTexts);
    session.createPlug("window");
    session.sendText("early", true);
    session.sendRoom(room(1));
    session.startGame("match.exe", rt::Value());
    EXPECT_TRUE(session.process_exist);
    EXPECT_FALSE(session.process_ready);
    EXPECT_FALSE(session.canStart()) << "a started game is not started again";
    session.gameLinked();
    EXPECT_EQ(calls, (std::vector<std::string>{"plug_create(window)",
                                               "plug_link(plug#1, match.exe, null)"}));
}

// A session that holds rooms and texts only never touches the class's user queue.
TEST_F(PlugSessionTest, UsersAreNeitherHeldNorReplayedWhereOnlyRoomsAndTextsAre) {
    Session session(library, PlugSession::Held::RoomsAndTexts);
    session.createPlug("window");
    library.msg_user_arr->push(user(9));
    session.startGame("match.exe", 0);
    session.gameLinked();
    EXPECT_EQ(library.msg_user_arr->size(), 1);
    EXPECT_EQ(calls.size(), 2u) << calls.back();
}

TEST_F(PlugSessionTest, ASessionThatHoldsNothingPassesRecordsAsTheyCome) {
    Session session(library, PlugSession::Held::Nothing);
    session.createPlug("window");
    session.sendRoom(room(1));
    session.sendUser(user(2));
    session.sendText("hello");
    session.linkGame("cards.exe");
    session.linkGame("cards.exe");
    const std::vector<std::string> expected = {
        "plug_create(window)",
        "plug_setroom(plug#1, { serverId : 1 })",
        "plug_setuser(plug#1, { userId : 2 })",
        "plug_send(plug#1, hello)",
        "plug_link(plug#1, cards.exe)",
        "plug_link(plug#1, cards.exe)",
    };
    EXPECT_EQ(calls, expected);
}

TEST_F(PlugSessionTest, WithoutAHandleNothingReachesThePlugIn) {
    handle = rt::Value();
    for (auto held : {PlugSession::Held::Nothing, PlugSession::Held::UsersRoomsAndTexts}) {
        calls.clear();
        Session session(library, held);
        session.createPlug("window");
        session.takeSeat(3, 1001);
        EXPECT_FALSE(session.canStart());
        session.linkGame("cards.exe");
        session.sendText("a");
        session.sendText("b", true);
        session.sendUser(user(1));
        session.sendRoom(room(1));
        session.gameLinked();
        session.freePlug();
        EXPECT_EQ(calls, std::vector<std::string>{"plug_create(window)"});
        EXPECT_EQ(session.myUid, 1001) << "no instance freed, the seat stays";
        EXPECT_EQ(library.msg_packet_arr->size(), 0);
        EXPECT_EQ(library.msg_user_arr->size(), 0);
    }
}

TEST_F(PlugSessionTest, FreeingClearsTheHandleFirstAndTheSeat) {
    Session session(library, PlugSession::Held::UsersRoomsAndTexts);
    session.createPlug("window");
    session.takeSeat(3, 1001);
    session.startGame("pexfish.exe", 1);
    session.gameLinked();
    session.into_money = 12.5;
    session.room_type = 4;
    bool handleWhileDestroying = true;
    whileDestroying = [&] { handleWhileDestroying = session.hasPlug(); };
    session.freePlug();
    EXPECT_FALSE(handleWhileDestroying) << "a callback during the destroy finds no handle";
    EXPECT_EQ(calls.back(), "plug_destroy(plug#1)");
    EXPECT_FALSE(session.process_exist);
    EXPECT_TRUE(session.process_ready) << "left to the window";
    EXPECT_EQ(session.myUid, -1);
    EXPECT_EQ(session.myChairId, -2);
    EXPECT_EQ(session.into_money, 0);
    EXPECT_EQ(session.room_type, 4);
    session.sendRoom(room(5));
    session.freePlug();
    EXPECT_EQ(calls.back(), "plug_destroy(plug#1)") << "a late room or second free does nothing";
}

TEST_F(PlugSessionTest, OwnUsersMoneyIsTaken) {
    Session session(library, PlugSession::Held::Nothing);
    session.takeSeat(1, 1001);
    EXPECT_FALSE(session.takeOwnMoney(rt::Record::of({{"uid", 1002}, {"into_moneys", "9"}})));
    EXPECT_EQ(session.into_money, 0);
    EXPECT_TRUE(session.takeOwnMoney(rt::Record::of({{"uid", 1001}, {"into_moneys", "1500.5"}})));
    EXPECT_DOUBLE_EQ(session.into_money, 1500.5);
}

// Only a tag that is the text "ready" is the game's ready text; no other value of a parsed game
// text has that text form.
TEST(PlugSessionReady, OnlyTheTextReadyIsReady) {
    auto packet = [](const char* json) { return rt::Json::parse(json); };
    EXPECT_TRUE(PlugSession::saysReady(packet(R"({"type":"game","tag":"ready"})")));
    for (const char* other :
         {R"({"tag":"Ready"})", R"({"tag":"ready "})", R"({"tag":["ready"]})",
          R"({"tag":{"ready":1}})", R"({"tag":null})", R"({"type":"ready"})", R"("ready")"}) {
        EXPECT_FALSE(PlugSession::saysReady(packet(other))) << other;
    }
}

std::vector<std::string> lastFields(const char* className, size_t count) {
    const std::vector<std::string> all = rt::ClassInfo::find(className)->fields();
    return {all.end() - static_cast<std::ptrdiff_t>(count), all.end()};
}

// Each window names the session's fields it has by name, in its own order, after those of
// GameWindow; a field written by name is the session's.
TEST(PlugSessionFields, EachWindowKeepsItsFieldsByName) {
    EXPECT_EQ(lastFields("GameMatch", 3),
              (std::vector<std::string>{"process_exist", "process_ready", "gamePlug"}));
    EXPECT_EQ(lastFields("PexmorFishGameWindow", 11),
              (std::vector<std::string>{"process_exist", "process_ready", "buy_unit", "unit_money",
                                        "into_money", "sceneId", "cannonType", "room_type", "myUid",
                                        "myChairId", "gamePlug"}));
    const std::vector<std::string> seat = {"buy_unit",   "unit_money", "into_money", "sceneId",
                                           "cannonType", "myUid",      "myChairId",  "gamePlug"};
    EXPECT_EQ(lastFields("PlugGameWindow", 8), seat);
    EXPECT_EQ(lastFields("FishGameWindow", 8), seat);
    EXPECT_EQ(lastFields("GameMatch", 4).front(), "gameInfo");

    auto window = rt::make<PlugGameWindow>();
    window->set("myUid", 77);
    window->set("into_money", 2.5);
    EXPECT_EQ(window->myUid, 77);
    EXPECT_DOUBLE_EQ(window->into_money, 2.5);
    EXPECT_EQ(window->get("myChairId"), rt::Value(-2));
    // The session's operations by name reach the window's own.
    ::testing::internal::CaptureStdout();
    window->call("onPlugLink", std::vector<rt::Value>{true});
    const std::string traced = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(traced.find("linked_plug_window.cpp:"), std::string::npos) << traced;
}

}  // namespace
}  // namespace lobby::games
