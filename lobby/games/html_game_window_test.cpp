// The HTML game window: the page by the room id's parity, the swallowed call and its close.

#include "lobby/games/html_game_window.h"
#include "lobby/app/app_windows.h"
#include "lobby/games/game_test_support.h"
#include "runtime/class_builder.h"

namespace lobby {
namespace {

using games::testing::GameTest;
using games::testing::kHeight;
using games::testing::kWidth;

// An HTML game window whose class has a member "traceFms": a page call of that name that went on
// to the base class would reach it through the by-name fallback.
class TracingHtmlGameWindow final : public HtmlGameWindow {
    RT_CLASS(TracingHtmlGameWindow)
public:
    int traced = 0;
    void traceFms(rt::Value) { ++traced; }
};

const rt::ClassInfo& TracingHtmlGameWindow::staticClassInfo() {
    using W = TracingHtmlGameWindow;
    static const rt::ClassInfo& info = rt::ClassBuilder<W>("TracingHtmlGameWindow")
                                           .extends<HtmlGameWindow>()
                                           .method("traceFms", &W::traceFms)
                                           .constructor(&W::construct)
                                           .build();
    return info;
}

class HtmlGameTest : public GameTest {
protected:
    rt::Ref<HtmlGameWindow> make(rt::Value roomId) {
        auto roomRecord = rt::Record::of({{"game_type", 8}, {"room_type", 1}, {"room_level", 1}});
        if (!roomId.isNull()) roomRecord->set("room_id", roomId);
        return ready(rt::create<HtmlGameWindow>(game(4), rt::Value(roomRecord), false, "u9"));
    }
};

TEST_F(HtmlGameTest, RoomIdParityPicksThePage) {
    EXPECT_EQ(urlOf(make(1200)), "resource/lurnap.html?ad=null");
    auto odd = make(1201);
    EXPECT_EQ(urlOf(odd), "tivro/lurnap.html?ad=null");
    EXPECT_EQ(urlOf(make(rt::Value())), "resource/lurnap.html?ad=null");
    const auto created = host.calls("cef_window_create");
    ASSERT_EQ(created.size(), 4u) << "the lobby window and three game windows";
    EXPECT_EQ(created[1].args[0], rt::Value(1350));
    EXPECT_EQ(created[1].args[1], rt::Value(714));
    EXPECT_EQ(created[2].args[0], rt::Value(1380));
    EXPECT_EQ(created[2].args[1], rt::Value(830));
}

// The construction traces the room id, "=======" and its remainder by 2, from this window's own
// source; the swallowed "traceFms" writes nothing.
TEST_F(HtmlGameTest, ConstructionTracesTheRoomIdsParityAndTraceFmsNothing) {
    ::testing::internal::CaptureStdout();
    auto window = make(1201);
    const std::string made = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(made.find("html_game_window.cpp:"), std::string::npos) << made;
    EXPECT_NE(made.find(": 1201=======1\n"), std::string::npos) << made;
    ::testing::internal::CaptureStdout();
    window->onJsCallBack("traceFms", rt::Array::of({"x"}));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

TEST_F(HtmlGameTest, TraceCallIsSwallowedAndServerRoadsDoNothing) {
    auto tracing = ready(rt::create<TracingHtmlGameWindow>(game(4), room(8, 1, 1), false, "u9"));
    EXPECT_EQ(tracing->onJsCallBack("traceFms", rt::Array::of({"x"})), rt::Value());
    EXPECT_EQ(tracing->traced, 0) << "the call went on to the base class";
    tracing->call("traceFms", std::vector<rt::Value>{"x"});
    EXPECT_EQ(tracing->traced, 1) << "the member is there to be reached";

    auto window = make(2);
    window->sendDataToServer("d");
    window->socketConnect(true);
    window->startConnServer();
    EXPECT_TRUE(pageCalls(window).empty());
    EXPECT_TRUE(scripts(window).empty());
}

TEST_F(HtmlGameTest, CloseTellsThePageBeforeLeavingTheList) {
    auto window = make(2);
    appWindows().gamesWindow->push(rt::Value(window));
    EXPECT_TRUE(window->onClose());
    EXPECT_EQ(pageCalls(window), std::vector<std::string>{"closeHtmlGameWindow[u9]"});
    EXPECT_EQ(appWindows().gamesWindow->size(), 0);
}

}  // namespace
}  // namespace lobby
