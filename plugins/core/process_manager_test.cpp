#include "plugins/core/process_manager.h"

#include "plugins/core/le_bytes.h"
#include "plugins/core/records.h"
#include "plugins/core/testing/game_run.h"
#include "plugins/core/text_channel.h"

#include <gtest/gtest.h>

#include <functional>

namespace plug {
namespace {

using testing::GameRun;
using testing::PumpUntil;

struct Event {
    enum Kind { Timeout, Closed, Linked, Message };
    Event(Kind k, int n, MessageCode c = {}, std::vector<uint8_t> p = {})
        : kind(k), number(n), code(c), payload(std::move(p)) {}

    Kind kind;
    int number;  // exit code, or 1 for a re-link
    MessageCode code;
    std::vector<uint8_t> payload;
};

class RecordingSink : public IProcessMessageSink {
public:
    bool OnLinkTimeout() override { return Add({Event::Timeout, 0}); }
    bool OnGameClosed(int exitCode) override { return Add({Event::Closed, exitCode}); }
    bool OnGameLinked(bool relinked) override { return Add({Event::Linked, relinked ? 1 : 0}); }
    bool OnGameMessage(uint16_t main, uint16_t sub, const uint8_t* data, size_t length) override {
        return Add({Event::Message, 0, {main, sub}, std::vector<uint8_t>(data, data + length)});
    }

    size_t Count(Event::Kind kind) const {
        return static_cast<size_t>(std::count_if(
            events.begin(), events.end(), [kind](const Event& e) { return e.kind == kind; }));
    }

    std::vector<Event> events;
    std::function<void(const Event&)> then;

private:
    bool Add(Event event) {
        events.push_back(event);
        if (then) then(events.back());
        return true;
    }
};

constexpr Variant kWide{kWidePrefix, kUserFixedLengthWide, 1000, false, true};
constexpr Variant kFollowUp{kNarrowPrefix, kUserFixedLengthNarrow, 1000, true, false};
constexpr Variant kSlowCheck{kNarrowPrefix, kUserFixedLengthNarrow, 10000, false, false};

class ProcessManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(ml_init(), ML_OK) << ml_last_error();
        sink = std::make_shared<RecordingSink>();
    }

    void TearDown() override {
        if (manager != nullptr) manager->Dispose();
        ml_shutdown();
    }

    void Make(const Variant& variant) {
        manager = new ProcessManager(variant);
        manager->SetSink(sink);
    }

    // Starts the stand-in with the script and waits until it has linked.
    void LaunchLinked(const Variant& variant, const std::string& script,
                      std::optional<int32_t> room = std::nullopt) {
        Make(variant);
        ASSERT_TRUE(manager->LaunchGame(game.Program("link\n" + script, variant.textPrefix), room));
        ASSERT_TRUE(PumpUntil([&] { return sink->Count(Event::Linked) == 1; })) << game.Log();
        ASSERT_TRUE(game.WaitForMessages(2, 101)) << game.Log();
    }

    GameRun game;
    std::shared_ptr<RecordingSink> sink;
    ProcessManager* manager = nullptr;
};

TEST_F(ProcessManagerTest, CommandLineNamesTheHiddenWindowAndRoomType) {
    LaunchLinked(kWide, "", 3);
    EXPECT_NE(game.Log().find("plugin=" + std::to_string(manager->own_window()) + " room=3"),
              std::string::npos)
        << game.Log();
    EXPECT_EQ(sink->events[0].number, 0) << "a first link";
    EXPECT_EQ(manager->peer_window(), game.GameWindow());
    const auto acks = game.Messages(2, 101);
    ASSERT_EQ(acks.size(), 1u);
    EXPECT_EQ(acks[0].tag, kDataQueued);
    EXPECT_EQ(acks[0].bytes, kHeaderSize);
    EXPECT_TRUE(game.Messages(3, 104).empty());
}

TEST_F(ProcessManagerTest, FollowUpVariantSendsItRightAfterTheAcknowledgement) {
    LaunchLinked(kFollowUp, "");
    ASSERT_TRUE(game.WaitForMessages(3, 104)) << game.Log();
    const auto messages = game.Messages();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[0].main, 2);
    EXPECT_EQ(messages[0].sub, 101);
    EXPECT_EQ(messages[1].main, 3);
    EXPECT_EQ(messages[1].sub, 104);
    EXPECT_EQ(messages[1].bytes, kHeaderSize);
}

TEST_F(ProcessManagerTest, RelinkOfARunningGameAndRepeatedLinksIgnored) {
    LaunchLinked(kFollowUp, "link\nlink sync\ntext after\n");
    ASSERT_TRUE(PumpUntil([&] { return sink->Count(Event::Message) == 1; }));
    EXPECT_EQ(sink->Count(Event::Linked), 1u) << "second link messages are ignored";
    ASSERT_TRUE(manager->LaunchGame(u"unused", std::nullopt));
    ASSERT_EQ(sink->Count(Event::Linked), 2u);
    EXPECT_EQ(sink->events.back().number, 1) << "a re-link";
    EXPECT_TRUE(game.WaitForMessages(2, 101, 2)) << game.Log();
}

TEST_F(ProcessManagerTest, MessagesFromAnotherWindowAreDropped) {
    LaunchLinked(kFollowUp, "");
    ml_hwnd stranger = 0;
    ASSERT_EQ(ml_create_window(
                  [](ml_hwnd, uint32_t, uintptr_t, intptr_t, void*) -> intptr_t { return 0; },
                  nullptr, &stranger),
              ML_OK);
    for (MessageCode code : {kLink, kGameText, kGoodbye}) {
        const auto block = *EncodeMessage(code, std::vector<uint8_t>(8, 0));
        ASSERT_EQ(ml_send_copydata(manager->own_window(), stranger, kDataSync, block.data(),
                                   static_cast<uint32_t>(block.size()), -1, nullptr),
                  ML_OK);
    }
    EXPECT_EQ(sink->Count(Event::Linked), 1u);
    EXPECT_EQ(sink->Count(Event::Message), 0u);
    EXPECT_EQ(sink->Count(Event::Closed), 0u);
    EXPECT_EQ(manager->peer_window(), game.GameWindow());
}

TEST_F(ProcessManagerTest, GameMessagesPassHeaderChecksInArrivalOrder) {
    LaunchLinked(kFollowUp,
                 "bad short\nbad version\nbad size\ntext first\ntext second\nraw 7 9 0a0b\n");
    ASSERT_TRUE(PumpUntil([&] { return sink->Count(Event::Message) == 3; }));
    PumpUntil([] { return false; }, 100);
    ASSERT_EQ(sink->Count(Event::Message), 3u) << "malformed blocks never reach the sink";
    const Event& first = sink->events[1];
    EXPECT_EQ(first.code, kGameText);
    EXPECT_EQ(std::string(first.payload.begin() + 4, first.payload.end()), "first");
    EXPECT_EQ(GetU16(first.payload.data()), 200);
    EXPECT_EQ(sink->events[2].code, kGameText);
    EXPECT_EQ(std::string(sink->events[2].payload.begin() + 4, sink->events[2].payload.end()),
              "second");
    EXPECT_EQ(sink->events[3].code, (MessageCode{7, 9}));
    EXPECT_EQ(sink->events[3].payload, (std::vector<uint8_t>{0x0a, 0x0b}));
}

TEST_F(ProcessManagerTest, RecordsReachTheGameByteForByteOnlyAfterTheLink) {
    Make(kFollowUp);
    UserInfo user;
    user.userId = 1001;
    user.name = u"Bob";
    const Bytes record = BuildUserRecord(user, kUserFixedLengthNarrow);
    EXPECT_FALSE(manager->Send(kUser, record)) << "no window, no game";
    ASSERT_TRUE(manager->LaunchGame(game.Program("wait 300\nlink\n", kNarrowPrefix), std::nullopt));
    ASSERT_TRUE(game.WaitForLog("start window="));
    EXPECT_FALSE(manager->Send(kUser, record)) << "not linked yet";
    ASSERT_TRUE(PumpUntil([&] { return sink->Count(Event::Linked) == 1; })) << game.Log();
    ASSERT_TRUE(game.WaitForMessages(3, 104));
    EXPECT_TRUE(manager->Send(kUser, record));
    EXPECT_FALSE(manager->Send(kGameData, std::vector<uint8_t>(kMaxPayload + 1)));
    EXPECT_TRUE(manager->Send(kGameData, std::vector<uint8_t>(kMaxPayload, 0x5a)));
    ASSERT_TRUE(game.WaitForMessages(1, 2)) << game.Log();
    const auto users = game.Messages(4, 100);
    ASSERT_EQ(users.size(), 1u);
    EXPECT_EQ(users[0].payload, record);
    EXPECT_EQ(users[0].tag, kDataQueued);
    EXPECT_EQ(game.Messages(1, 2)[0].bytes, kHeaderSize + kMaxPayload);
}

TEST_F(ProcessManagerTest, TextsLeaveBehindThePrefixUpToTheLimit) {
    LaunchLinked(kWide, "");
    EXPECT_TRUE(manager->SendTextNow(std::string(MaxTextLength(kWidePrefix), 'a')));
    EXPECT_FALSE(manager->SendTextNow(std::string(MaxTextLength(kWidePrefix) + 1, 'b')));
    EXPECT_TRUE(manager->SendTextNow("short"));
    ASSERT_TRUE(game.WaitForMessages(1, 2, 2)) << game.Log();
    const auto texts = game.Messages(1, 2);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].bytes, 10240u);
    EXPECT_EQ(texts[1].decoded, "text prefix=516 length=5 value=\"short\"");
    EXPECT_EQ(texts[1].payload, *TextPayload("short", kWidePrefix));
}

TEST_F(ProcessManagerTest, GoodbyeReleasesTheGameAndReportsOnce) {
    LaunchLinked(kFollowUp, "goodbye\nwait 200\ngoodbye sync\nunwindow\n");
    ASSERT_TRUE(PumpUntil([&] { return sink->Count(Event::Closed) == 1; })) << game.Log();
    EXPECT_EQ(sink->events.back().number, 0);
    EXPECT_FALSE(manager->holds_process());
    EXPECT_EQ(manager->peer_window(), 0u);
    // The second goodbye is handled during its own send, so once the game has gone on to its
    // next step the manager has seen it.
    ASSERT_TRUE(PumpUntil([&] { return game.Log().find("\nunwindow") != std::string::npos; }))
        << game.Log();
    EXPECT_EQ(sink->Count(Event::Closed), 1u) << "a goodbye without a process only clears the peer";
    EXPECT_EQ(game.Log().find("end code="), std::string::npos) << "the game itself is not ended";
}

TEST_F(ProcessManagerTest, StartTimeoutReleasesAGameThatNeverLinks) {
    Make(kFollowUp);
    ASSERT_TRUE(manager->LaunchGame(game.Program("", kNarrowPrefix), std::nullopt));
    ASSERT_TRUE(game.WaitForLog("start window="));
    ml_clock_advance(kStartTimeoutMs / 2);
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(sink->Count(Event::Timeout), 0u);
    ml_clock_advance(kStartTimeoutMs / 2);
    ASSERT_TRUE(PumpUntil([&] { return sink->Count(Event::Timeout) == 1; }));
    EXPECT_EQ(sink->Count(Event::Closed), 0u) << "a release without callback";
    EXPECT_FALSE(manager->holds_process());
    EXPECT_TRUE(ml_is_window(game.GameWindow())) << "the game keeps running";
}

TEST_F(ProcessManagerTest, LinkCheckNoticesAVanishedGameWindowWithinItsPeriod) {
    for (const Variant& variant : {kFollowUp, kSlowCheck}) {
        GameRun run;
        sink->events.clear();
        manager = new ProcessManager(variant);
        manager->SetSink(sink);
        ASSERT_TRUE(manager->LaunchGame(
            run.Program("link\nwaitfor 2 101\nunwindow\n", variant.textPrefix), std::nullopt));
        ASSERT_TRUE(run.WaitForLog("unwindow")) << run.Log();
        if (variant.linkCheckMs > 1000) {
            ml_clock_advance(1000);
            PumpUntil([] { return false; }, 100);
            EXPECT_EQ(sink->Count(Event::Timeout), 0u) << "not before the period";
        }
        ml_clock_advance(variant.linkCheckMs);
        ASSERT_TRUE(PumpUntil([&] { return sink->Count(Event::Timeout) == 1; }));
        EXPECT_FALSE(manager->holds_process());
        manager->Dispose();
        manager = nullptr;
    }
}

// Sends rely on the connection to the game for its liveness: a game that destroyed its window
// answers "no such window", an ended game has hung up; either way the send fails.
TEST_F(ProcessManagerTest, SendsFailOnceTheGameWindowOrTheGameIsGone) {
    const std::vector<uint8_t> record{1, 2, 3};
    for (const char* end : {"unwindow\nwait 60000\n", "die 3\n"}) {
        SCOPED_TRACE(end);
        GameRun run;
        sink->events.clear();
        manager = new ProcessManager(kSlowCheck);
        manager->SetSink(sink);
        ASSERT_TRUE(manager->LaunchGame(
            run.Program(std::string("link\nwaitfor 3 1\n") + end, kNarrowPrefix), std::nullopt));
        ASSERT_TRUE(PumpUntil([&] { return sink->Count(Event::Linked) == 1; })) << run.Log();
        ASSERT_TRUE(manager->Send({3, 1}, record)) << "the game lives and holds its window";
        ASSERT_TRUE(PumpUntil([&] { return !ml_is_window(run.GameWindow()); })) << run.Log();
        EXPECT_FALSE(manager->Send({3, 2}, record));
        EXPECT_FALSE(manager->SendSync({3, 2}, record));
        EXPECT_EQ(run.Messages(3, 1).size(), 1u) << run.Log();
        EXPECT_TRUE(run.Messages(3, 2).empty()) << run.Log();
        manager->Dispose();
        manager = nullptr;
    }
}

TEST_F(ProcessManagerTest, CloseGameQuitsWaitsAndReportsTheExitCode) {
    LaunchLinked(kFollowUp, "quitcode 7\n");
    ASSERT_TRUE(manager->CloseGame(true));
    ASSERT_EQ(sink->Count(Event::Closed), 1u);
    EXPECT_EQ(sink->events.back().number, 7);
    EXPECT_FALSE(manager->holds_process());
    const auto quits = game.Messages(2, 100);
    ASSERT_EQ(quits.size(), 1u);
    EXPECT_EQ(quits[0].tag, kDataSync);
    EXPECT_EQ(quits[0].bytes, kHeaderSize);
    manager->CloseGame(true);
    EXPECT_EQ(sink->Count(Event::Closed), 1u) << "nothing to close, nothing reported";
}

TEST_F(ProcessManagerTest, CloseGameTerminatesAGameThatStays) {
    LaunchLinked(kFollowUp, "stay\nquitcode 9\n");
    ASSERT_TRUE(manager->CloseGame(true));
    ASSERT_EQ(sink->Count(Event::Closed), 1u);
    EXPECT_EQ(sink->events.back().number, 0) << "terminated with exit code 0";
    EXPECT_TRUE(game.WaitForLog("quit ignored"));
    EXPECT_FALSE(ml_is_window(game.GameWindow()));
}

TEST_F(ProcessManagerTest, GoodbyeDuringTheQuitRequestReportsTheCloseOnce) {
    LaunchLinked(kFollowUp, "quitgoodbye\nquitcode 4\n");
    ASSERT_TRUE(manager->CloseGame(true));
    PumpUntil([] { return false; }, 100);
    ASSERT_EQ(sink->Count(Event::Closed), 1u);
    EXPECT_EQ(sink->events.back().number, 4);
}

TEST_F(ProcessManagerTest, CloseWithoutCallbackReportsNothingEvenOnGoodbye) {
    LaunchLinked(kFollowUp, "quitgoodbye\n");
    ASSERT_TRUE(manager->CloseGame(false));
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(sink->Count(Event::Closed), 0u);
}

TEST_F(ProcessManagerTest, RelaunchAfterTheGameEndedAcceptsTheNewGamesLink) {
    LaunchLinked(kFollowUp, "wait 100\ndie 5\n");
    ASSERT_TRUE(game.WaitForLog("die code=5"));
    ASSERT_TRUE(PumpUntil([&] { return !ml_is_window(game.GameWindow()); }));
    GameRun second;
    ASSERT_TRUE(manager->LaunchGame(second.Program("link\n", kNarrowPrefix), std::nullopt));
    ASSERT_TRUE(PumpUntil([&] { return sink->Count(Event::Linked) == 2; })) << second.Log();
    EXPECT_EQ(sink->events.back().number, 0) << "the new game's first link";
    EXPECT_EQ(manager->peer_window(), second.GameWindow());
    EXPECT_TRUE(second.WaitForMessages(2, 101));
}

TEST_F(ProcessManagerTest, DisposedFromInsideItsOwnCallbacks) {
    // Destroyed while the link, a queued message and a text sent during the call are handled.
    for (const char* script : {"", "text bye\n", "textsync bye\n"}) {
        GameRun run;
        sink = std::make_shared<RecordingSink>();
        manager = new ProcessManager(kFollowUp);
        manager->SetSink(sink);
        const bool onLink = *script == '\0';
        sink->then = [&, onLink](const Event& e) {
            if ((onLink && e.kind == Event::Linked) || e.kind == Event::Message) {
                manager->Dispose();
                manager = nullptr;
            }
        };
        ASSERT_TRUE(manager->LaunchGame(
            run.Program(std::string("link\n") + script + "wait 300\ntext late\n", kNarrowPrefix),
            std::nullopt));
        ASSERT_TRUE(PumpUntil([&] { return manager == nullptr; })) << run.Log();
        PumpUntil([] { return false; }, 400);
        EXPECT_EQ(sink->events.size(), onLink ? 1u : 2u) << "nothing after the destroy";
        EXPECT_TRUE(run.WaitForMessages(2, 100)) << "the game was asked to quit";
        EXPECT_TRUE(PumpUntil([&] { return !ml_is_window(run.GameWindow()); })) << run.Log();
    }
}

TEST_F(ProcessManagerTest, DisposedFromTheCloseCallback) {
    LaunchLinked(kFollowUp, "");
    sink->then = [&](const Event& e) {
        if (e.kind == Event::Closed) {
            manager->Dispose();
            manager = nullptr;
        }
    };
    ProcessManager* closing = manager;
    {
        ProcessManager::Busy busy(closing);
        closing->CloseGame(true);
        EXPECT_TRUE(closing->disposed());
    }
    EXPECT_EQ(manager, nullptr);
    EXPECT_EQ(sink->Count(Event::Closed), 1u);
}

TEST_F(ProcessManagerTest, LaunchFailsWithoutSinkOrProgram) {
    manager = new ProcessManager(kFollowUp);
    EXPECT_FALSE(manager->LaunchGame(u"/bin/true", std::nullopt)) << "no sink, no window";
    manager->SetSink(sink);
    EXPECT_FALSE(manager->LaunchGame(u"/nonexistent/game", std::nullopt));
    EXPECT_FALSE(manager->holds_process());
    EXPECT_FALSE(manager->LaunchGame(std::u16string(300, u'x'), std::nullopt)) << "too long";
}

}  // namespace
}  // namespace plug
