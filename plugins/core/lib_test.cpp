// The three plug-in libraries loaded by name into a host that offers hx_cffi, driving the real
// game stand-in.

#include "plugins/core/le_bytes.h"
#include "plugins/core/testing/library_test.h"

#include "runtime/record.h"
#include "runtime/value_scope.h"

namespace plug {
namespace {

using testing::GameRun;
using testing::Handler;
using testing::PlugLibrary;
using testing::PumpUntil;

struct Flavour {
    const char* library;
    size_t prefix;
    size_t userFixed;
    bool firstLinkFlag;
    size_t longestText;
    bool linkFollowUp;     // (3,104) follows the link acknowledgement
    uint64_t linkCheckMs;  // period of the check that the linked game's window still exists
};

const Flavour kFlavours[] = {{"PexmorPlug", 516, 85, true, 9716, false, 1000},
                             {"RavoPlug", 4, 79, false, 10228, false, 10000},
                             {"Sondrel", 4, 79, false, 10228, true, 1000}};

class PlugLibraryTest : public testing::LibraryTest<::testing::TestWithParam<Flavour>> {
protected:
    void SetUp() override {
        Open(GetParam().library);
        ASSERT_FALSE(handle.isNull());
    }

    bool Pexmor() const { return GetParam().prefix == 516; }

    rt::Value Link(const std::string& script) {
        const std::string path = Program(script, GetParam().prefix);
        return Pexmor() ? (*lib)("plug_link", handle, path, int32_t{2})
                        : (*lib)("plug_link", handle, path);
    }

    void Send(const rt::Value& text) {
        if (Pexmor()) {
            (*lib)("plug_send", handle, text, true);
        } else {
            (*lib)("plug_send", handle, text);
        }
    }

    bool WaitForCalls(size_t count) {
        return PumpUntil([&] { return handler->calls.size() >= count; });
    }

    // Links the stand-in with the script; waits for the link callback and acknowledgement.
    void LinkWith(const std::string& script) {
        ASSERT_TRUE(Link("link\nwaitfor 2 101\n" + script).toBool());
        ASSERT_TRUE(WaitForCalls(1)) << game.Log();
        ASSERT_EQ(handler->calls[0],
                  std::string("onPlugLink(") + (GetParam().firstLinkFlag ? "true" : "false") + ")");
        ASSERT_TRUE(game.WaitForMessages(2, 101));
    }

    // Returns once the loop has fired every timer that is due now.
    static void Settle() {
        bool ran = false;
        ml_post_task([](void* flag) { *static_cast<bool*>(flag) = true; }, &ran, 0);
        ASSERT_TRUE(PumpUntil([&] { return ran; }));
    }

    std::string TextPayloadHex(size_t length) const {
        return "c8" + std::string(2 * length - 2, '0');
    }
};

TEST_P(PlugLibraryTest, LinkRelinkAndGameTextsWithPrefixAndCuts) {
    const size_t prefix = GetParam().prefix;
    LinkWith(
        "text hello\n"
        "raw 1 1 " +
        TextPayloadHex(prefix) + "\n" + "raw 1 1 " + TextPayloadHex(prefix - 1) + "\n" +
        "fill 2000 q\n" + "raw 1 1 " + TextPayloadHex(prefix) + "61620063\n" + "raw 1 9 " +
        TextPayloadHex(prefix) + "61\n" + "text last\n");
    ASSERT_TRUE(WaitForCalls(6)) << game.Log();
    PumpUntil([] { return false; }, 100);
    const std::vector<std::string> expected = {
        handler->calls[0], "onPlugMsg(hello)",
        "onPlugMsg()",     "onPlugMsg(" + std::string(1024, 'q') + ")",
        "onPlugMsg(ab)",   "onPlugMsg(last)"};
    EXPECT_EQ(handler->calls, expected)
        << "a payload shorter than the prefix and other codes give no call";
    ASSERT_TRUE(Link("unused").toBool());
    ASSERT_EQ(handler->calls.size(), 7u);
    EXPECT_EQ(handler->calls.back(), "onPlugLink(true)");
    EXPECT_TRUE(game.WaitForMessages(2, 101, 2));
}

// Only Sondrel follows the link acknowledgement with (3,104): a text sent after the link arrives
// after anything the link sent.
TEST_P(PlugLibraryTest, TheLinkAcknowledgementIsFollowedUpOnlyWhereTheLibrarySaysSo) {
    LinkWith("");
    Send(rt::Value("after the link"));
    ASSERT_TRUE(game.WaitForMessages(1, 2)) << game.Log();
    EXPECT_EQ(game.Messages(3, 104).size(), GetParam().linkFollowUp ? 1u : 0u) << game.Log();
}

// The linked game's window vanishes: the library notices it (and reports the game closed) once
// its own check period has passed on the loop's clock, not before.
TEST_P(PlugLibraryTest, AVanishedGameWindowIsNoticedAfterTheLibrarysCheckPeriod) {
    LinkWith("unwindow\n");
    ASSERT_TRUE(game.WaitForLog("unwindow")) << game.Log();
    ml_clock_advance(1000);
    Settle();
    if (GetParam().linkCheckMs > 1000) {
        EXPECT_EQ(handler->calls.size(), 1u) << "noticed before the period";
        ml_clock_advance(GetParam().linkCheckMs - 1000);
        Settle();
    }
    ASSERT_EQ(handler->calls.size(), 2u) << game.Log();
    EXPECT_EQ(handler->calls[1], "onGameClose(0)");
}

TEST_P(PlugLibraryTest, TextsToTheGameUpToTheLongestAndOnlyStrings) {
    LinkWith("");
    Send(rt::Value("hi there"));
    Send(rt::Value(int32_t{5}));
    Send(rt::Value(std::string(GetParam().longestText + 1, 'x')));
    Send(rt::Value(std::string(10000, 'y')));
    Send(rt::Value(std::string(GetParam().longestText, 'z')));
    Send(rt::Value("end"));
    const size_t expected = Pexmor() ? 3 : 4;
    ASSERT_TRUE(game.WaitForMessages(1, 2, expected)) << game.Log();
    PumpUntil([] { return false; }, 100);
    const auto texts = game.Messages(1, 2);
    ASSERT_EQ(texts.size(), expected);
    EXPECT_EQ(texts[0].decoded,
              "text prefix=" + std::to_string(GetParam().prefix) + " length=8 value=\"hi there\"");
    EXPECT_EQ(texts[0].bytes, 8 + GetParam().prefix + 8);
    EXPECT_EQ(GetU16(texts[0].payload.data()), 200);
    if (!Pexmor()) {
        EXPECT_EQ(texts[1].bytes, 8 + 4 + 10000u) << "10000 bytes pass here";
    }
    EXPECT_EQ(texts[expected - 2].bytes, 10240u) << "the longest text fills a message";
    EXPECT_NE(texts.back().decoded.find("value=\"end\""), std::string::npos);
}

TEST_P(PlugLibraryTest, UserAndRoomRecordsAsTheGameReceivesThem) {
    LinkWith("");
    const auto user = rt::Record::of({{"userId", int32_t{1001}},
                                      {"name", "Bob"},
                                      {"gameId", int32_t{12}},
                                      {"tableId", int32_t{4}},
                                      {"chairId", int32_t{2}},
                                      {"status", int32_t{5}},
                                      {"score", "-5"}});
    (*lib)("plug_setuser", handle, user);
    (*lib)("plug_setuser", handle, rt::Value("not an object"));
    (*lib)("plug_setuser", handle, rt::Record::of({{"userId", int32_t{7}}, {"score", "x"}}));
    std::string fortyChars;
    for (int i = 0; i < 40; ++i) fortyChars += static_cast<char>('A' + i % 26);
    const auto room = rt::Record::of({{"tableId", int32_t{3}},
                                      {"chairId", int32_t{1}},
                                      {"userId", int32_t{1001}},
                                      {"kindId", int32_t{8}},
                                      {"serverId", int32_t{9}},
                                      {"serverType", int32_t{2}},
                                      {"serverRule", int32_t{-1}},
                                      {"serverName", fortyChars}});
    (*lib)("plug_setroom", handle, room);
    (*lib)("plug_setroom", handle, rt::Value(int32_t{1}));
    ASSERT_TRUE(game.WaitForMessages(3, 102)) << game.Log();
    PumpUntil([] { return false; }, 100);
    const auto users = game.Messages(4, 100);
    ASSERT_EQ(users.size(), 2u) << "the non-object is ignored";
    const size_t fixed = GetParam().userFixed;
    ASSERT_EQ(users[0].payload.size(), fixed + 12) << "a 3-character name adds an item of 12";
    EXPECT_EQ(users[0].decoded,
              "user game=12 user=1001 table=4 chair=2 status=5 score=-5 name=\"Bob\"");
    EXPECT_EQ(GetU16(&users[0].payload[fixed]), 8);
    EXPECT_EQ(GetU16(&users[0].payload[fixed + 2]), 10);
    EXPECT_EQ(users[1].payload.size(), fixed) << "no name, no item";
    EXPECT_EQ(users[1].decoded, "user game=0 user=7 table=0 chair=0 status=0 score=0 name=\"\"");
    const auto rooms = game.Messages(3, 102);
    ASSERT_EQ(rooms.size(), 1u);
    ASSERT_EQ(rooms[0].payload.size(), 100u);
    EXPECT_EQ(rooms[0].decoded,
              "room table=3 chair=1 user=1001 kind=8 server=9 type=2 "
              "rule=4294967295 name=\"" +
                  fortyChars.substr(0, 31) + "\"");
    EXPECT_EQ(GetU16(&rooms[0].payload[28 + 62]), 0);
}

TEST_P(PlugLibraryTest, RecordsBeforeTheLinkAreDropped) {
    (*lib)("plug_setroom", handle, rt::Record::of({{"tableId", int32_t{1}}}));
    ASSERT_TRUE(Link("link\nwaitfor 2 101\nwait 200\ntext done\n").toBool());
    (*lib)("plug_setroom", handle, rt::Record::of({{"tableId", int32_t{2}}}));
    Send(rt::Value("early"));
    ASSERT_TRUE(WaitForCalls(2)) << game.Log();
    EXPECT_TRUE(game.Messages(3, 102).empty());
    EXPECT_TRUE(game.Messages(1, 2).empty());
}

TEST_P(PlugLibraryTest, GoodbyeAndStartTimeoutCallOnGameCloseWithZero) {
    LinkWith("quitcode 6\ngoodbye\n");
    ASSERT_TRUE(WaitForCalls(2)) << game.Log();
    EXPECT_EQ(handler->calls[1], "onGameClose(0)");

    GameRun silent;
    const std::u16string program = silent.Program("", GetParam().prefix);
    const std::string path(program.begin(), program.end());
    ASSERT_TRUE((Pexmor() ? (*lib)("plug_link", handle, path, int32_t{0})
                          : (*lib)("plug_link", handle, path))
                    .toBool());
    ASSERT_TRUE(silent.WaitForLog("start window="));
    ml_clock_advance(20000);
    ASSERT_TRUE(WaitForCalls(3));
    EXPECT_EQ(handler->calls[2], "onGameClose(0)");
}

TEST_P(PlugLibraryTest, HandleAfterDestroyDoesNothingAndCreateStartsAfresh) {
    LinkWith("");
    (*lib)("plug_destroy", handle);
    ASSERT_TRUE(game.WaitForMessages(2, 100)) << "destroy asks the game to quit";
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(handler->calls.size(), 1u) << "destroy makes no callback";
    Send(rt::Value("after"));
    (*lib)("plug_setroom", handle, rt::Record::of({}));
    EXPECT_FALSE(Link("link\n").toBool());
    (*lib)("plug_destroy", handle);

    auto fresh = rt::create<Handler>();
    handle = (*lib)("plug_create", fresh);
    GameRun second;
    const std::u16string program = second.Program("link\ntext again\n", GetParam().prefix);
    const std::string path(program.begin(), program.end());
    ASSERT_TRUE((Pexmor() ? (*lib)("plug_link", handle, path, int32_t{0})
                          : (*lib)("plug_link", handle, path))
                    .toBool());
    ASSERT_TRUE(PumpUntil([&] { return fresh->calls.size() >= 2; })) << second.Log();
    EXPECT_EQ(fresh->calls[1], "onPlugMsg(again)");
    EXPECT_EQ(handler->calls.size(), 1u) << "the old handler hears nothing";
}

TEST_P(PlugLibraryTest, DestroyFromInsideACallback) {
    handler->then = [&](const std::string& call) {
        if (call.starts_with("onPlugMsg")) {
            (*lib)("plug_destroy", handle);
            handle = rt::Value();
        }
    };
    LinkWith("text one\ntext two\nwait 200\ntext three\n");
    ASSERT_TRUE(PumpUntil([&] { return handle.isNull(); })) << game.Log();
    PumpUntil([] { return false; }, 400);
    EXPECT_EQ(handler->calls.size(), 2u);
    EXPECT_TRUE(PumpUntil([&] { return !ml_is_window(game.GameWindow()); })) << game.Log();
}

TEST_P(PlugLibraryTest, InvalidHandlesEndTheProgram) {
    EXPECT_EXIT((*lib)("plug_destroy", rt::Value(int32_t{1})), ::testing::ExitedWithCode(1),
                "invalid kind");
    EXPECT_EXIT((*lib)("plug_setroom", rt::Value("handle"), rt::Record::of({})),
                ::testing::ExitedWithCode(1), "invalid kind");
    for (const Flavour& other : kFlavours) {
        if (other.library == GetParam().library) continue;
        PlugLibrary foreign(other.library);
        const rt::Value foreignHandle = foreign("plug_create", rt::create<Handler>());
        EXPECT_EXIT((*lib)("plug_setroom", foreignHandle, rt::Record::of({})),
                    ::testing::ExitedWithCode(1), "invalid kind")
            << "a handle of " << other.library;
        foreign("plug_destroy", foreignHandle);
    }
}

INSTANTIATE_TEST_SUITE_P(Libraries, PlugLibraryTest, ::testing::ValuesIn(kFlavours),
                         [](const auto& info) { return std::string(info.param.library); });

}  // namespace
}  // namespace plug
