// Boxes and menus on a display: Chromium headed on a private Xvfb with openbox, started by the
// test, with syslite's primitives asking the host through the registry both libraries link.
// What shows is checked through X from a second client, and the player's side is played with
// XTest: button clicks, keys, a click outside a menu and the window manager's close.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "platform/cefhx/dialog_page.h"
#include "platform/cefhx/headed_host_run.h"
#include "platform/cefhx/test_display.h"
#include "platform/cefhx/test_window.h"
#include "platform/cefhx/x11_desktop.h"
#include "platform/msgloop/msgloop.h"
#include "runtime/create.h"
#include "runtime/function.h"
#include "runtime/primitive.h"
#include "runtime/record.h"

namespace cefhx::testing {
namespace {

namespace fs = std::filesystem;
using rt::Value;

// The display, the test's own look at it, and the folder with the owners' page.
HeadedHostRun& g_run = headedRun();

// The generated box's size for a text of one line, and its buttons' centres from its bottom
// right corner (the page's layout: buttons of 76 px, 8 px apart, in a row 12 px from the right
// and 8 px from the bottom).
constexpr const DialogLayout& kLayout = kDialogLayout;
constexpr int kBoxWidth = kLayout.boxWidth, kOneLineBoxHeight = kLayout.boxFrame + kLayout.boxLine;
constexpr int kLastButtonX = 12 + 38, kFirstOfTwoButtonsX = 12 + 76 + 8 + 38, kButtonsY = 8 + 15;
constexpr int kMenuRowTop = kLayout.menuFrame / 2, kMenuRow = kLayout.menuRow;
constexpr int kMaximized = 12;
// The test's menu: five rows and a divider, as wide as "Check for updates" needs.
constexpr int kMenuWidth = 176,
              kMenuHeight = kLayout.menuFrame + 5 * kMenuRow + kLayout.menuDivider;

Value callSyslite(const std::string& name, std::initializer_list<Value> args) {
    return rt::Primitive::load("syslite", name, static_cast<int>(args.size()))
        .call(std::span<const Value>(args.begin(), args.size()));
}

rt::Ref<RecordingWindow> shownWindow(int width, int height) {
    rt::Ref<RecordingWindow> w = rt::create<RecordingWindow>();
    w->url = (g_run.folder / "page.html").string();
    callHost("cef_window_create", {width, height, 0, w, rt::Record::of({{"isInit", false}})});
    callHost("cef_window_show", {w->handle, true, true, false, true});
    return w;
}

XWindowId clientOf(const rt::Ref<RecordingWindow>& w, const std::string& title) {
    callHost("window_set_title", {w->handle, title});
    XWindowId found = 0;
    pumpUntil([&] { return (found = g_run.x->findByTitle(title, 0, 0)) != 0; });
    return found;
}

void closeWindow(const rt::Ref<RecordingWindow>& w) {
    callHost("cef_window_close", {w->handle});
}

// Plays the player's part while a primitive waits for the box or menu titled `title`: `act` runs
// on the loop from a task every 50 ms until it answers true (the loop keeps running inside the
// primitive). No wait outlasts kTurns turns: then the test fails, saying how far the player got,
// and the window is asked to close each turn; kTurns turns later the program is asked to quit,
// which closes any box or menu.
class Player {
public:
    Player(std::string title, std::function<bool()> act)
        : title_(std::move(title)), act_(std::move(act)) {
        schedule();
    }
    ~Player() { *alive_ = false; }
    bool finished() const { return finished_; }

    static constexpr int kTurns = 600;

private:
    struct Turn {
        Player* player;
        std::shared_ptr<bool> alive;
    };
    void schedule() { ml_post_task(&Player::run, new Turn{this, alive_}, 50); }
    static void run(void* arg) {
        std::unique_ptr<Turn> turn(static_cast<Turn*>(arg));
        if (*turn->alive) turn->player->play();
    }
    void play() {
        ++turns_;
        if (turns_ == 2 * kTurns) {
            ADD_FAILURE() << "\"" << title_ << "\" did not close when asked; quitting";
            callHost("cef_app_quit", {});
            return;
        }
        if (turns_ == kTurns) {
            ADD_FAILURE() << "\"" << title_ << "\" still waits after " << kTurns << " turns, "
                          << (finished_ ? "after the player's part" : "before the player's part");
        }
        if (turns_ >= kTurns) {
            if (XWindowId w = g_run.x->findByTitle(title_, 0, 0)) g_run.display->askToClose(w);
        } else if (!finished_) {
            finished_ = act_();
        }
        schedule();
    }
    std::string title_;
    std::function<bool()> act_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    bool finished_ = false;
    int turns_ = 0;
};

// The viewable window titled `title`, or 0.
XWindowId shownTitled(const std::string& title) {
    XWindowId w = g_run.x->findByTitle(title, 0, 0);
    return w && g_run.x->viewable(w) ? w : 0;
}

// Clicks the point of the window (px from its bottom right corner) on every turn while the
// window shows, until the call returns: a click that comes before the page has drawn its buttons
// is lost, and the box answers once.
std::function<bool()> clickFromBottomRight(const std::string& title, int dx, int dy) {
    return [=] {
        if (XWindowId box = shownTitled(title)) {
            XRect r = g_run.x->geometry(box);
            g_run.display->click(r.x + r.width - dx, r.y + r.height - dy);
        }
        return false;
    };
}

// Presses the key on every turn while the window shows with the focus, until the call returns: a
// key that comes before the page is ready for it is lost, and the box answers once.
std::function<bool()> keyOn(const std::string& title, const std::string& keysym) {
    return [=] {
        XWindowId w = shownTitled(title);
        if (w && g_run.display->activeWindow() == w) g_run.display->key(keysym);
        return false;
    };
}

bool confirm(const std::string& title, std::function<bool()> act) {
    Player player(title, std::move(act));
    return callSyslite("dialogs_dialog_box", {title, "Go on?", false}).toBool();
}

TEST(HostDialogs, AMessageBoxIsModalToTheActiveWindowAtItsSizeAndOkClosesIt) {
    rt::Ref<RecordingWindow> owner = shownWindow(600, 400);
    XWindowId xo = clientOf(owner, "box owner");
    ASSERT_NE(xo, 0u);
    ASSERT_TRUE(pumpUntil([&] { return g_run.display->activeWindow() == xo; }));
    XWindowId seen = 0;
    bool modal = false;
    Player player("About <b>&amp;</b>", [&] {
        XWindowId box = shownTitled("About <b>&amp;</b>");
        if (!box || g_run.x->geometry(box).width != kBoxWidth ||
            g_run.x->geometry(box).height != kOneLineBoxHeight ||
            g_run.display->transientFor(box) != xo) {
            return false;
        }
        std::vector<std::string> state = g_run.display->netWmState(box);
        modal = std::count(state.begin(), state.end(), "_NET_WM_STATE_MODAL") == 1;
        if (!modal || g_run.display->activeWindow() != box) return false;
        seen = box;
        XRect r = g_run.x->geometry(box);
        g_run.display->click(r.x + r.width - kLastButtonX, r.y + r.height - kButtonsY);
        return true;
    });
    // The title is text: the page shows it as written, and so does the native title.
    callSyslite("dialogs_message_box",
                {"About <b>&amp;</b>", "Version 2 <script>x()</script>", false});
    EXPECT_TRUE(player.finished());
    ASSERT_NE(seen, 0u);
    EXPECT_TRUE(modal);
    EXPECT_TRUE(pumpUntil([&] { return g_run.x->findByTitle("About <b>&amp;</b>", 0, 0) == 0; }));
    closeWindow(owner);
}

TEST(HostDialogs, AConfirmationAnswersYesNoEscapeAndAClosedWindowAsThePlayerDid) {
    rt::Ref<RecordingWindow> owner = shownWindow(600, 400);
    ASSERT_NE(clientOf(owner, "confirm owner"), 0u);
    EXPECT_TRUE(
        confirm("Yes box", clickFromBottomRight("Yes box", kFirstOfTwoButtonsX, kButtonsY)));
    EXPECT_FALSE(confirm("No box", clickFromBottomRight("No box", kLastButtonX, kButtonsY)));
    // Enter takes the default button, Escape answers no.
    EXPECT_TRUE(confirm("Enter box", keyOn("Enter box", "Return")));
    EXPECT_FALSE(confirm("Escape box", keyOn("Escape box", "Escape")));
    EXPECT_FALSE(confirm("Closed box", [] {
        XWindowId box = shownTitled("Closed box");
        if (box) g_run.display->askToClose(box);
        return box != 0;
    }));
    closeWindow(owner);
}

TEST(HostDialogs, WhileABoxIsUpTheLoopServesPageCallsAndTasksInTheirOrder) {
    rt::Ref<RecordingWindow> owner = shownWindow(600, 400);
    ASSERT_NE(clientOf(owner, "busy owner"), 0u);
    std::vector<int> ticks;
    owner->onCall = [&](const std::string& name, const rt::Ref<rt::Array>& args) {
        if (name == "tick" && args && args->size() == 1) ticks.push_back(args->items()[0].toInt());
        return Value();
    };
    callHost("cef_app_posttask", {owner->handle, 7});
    callHost("frame_executejavascript",
             {owner->handle, true, "",
              "let i = 0; const t = setInterval(() => { cefhx.call('tick', ++i); "
              "if (i === 5) clearInterval(t); }, 30);",
              rt::Record::of({{"_url", ""}})});
    bool taskRan = false;
    EXPECT_TRUE(confirm("Busy box", [&] {
        taskRan = owner->has("on_task");
        if (ticks.size() < 5 || !taskRan) return false;
        return clickFromBottomRight("Busy box", kFirstOfTwoButtonsX, kButtonsY)();
    }));
    EXPECT_TRUE(taskRan);
    EXPECT_EQ(ticks, (std::vector<int>{1, 2, 3, 4, 5}));
    closeWindow(owner);
}

// A popup menu of syslite: three items, a divider and a sub-menu of one item.
Value makeMenu() {
    Value menu = callSyslite("win_popup_menu_create", {});
    Value sub = callSyslite("win_popup_menu_create", {});
    callSyslite("win_add_menu_item", {menu, "About", 9004});
    callSyslite("win_add_menu_item", {menu, "Check for updates", 9003});
    callSyslite("win_add_menu_divider", {menu, 0});
    callSyslite("win_add_menu_item", {menu, "Quit", 9002});
    callSyslite("win_add_menu_item", {sub, "Deep", 77});
    callSyslite("win_add_menu_submenu", {menu, sub, "More", 70});
    return menu;
}

int showMenu(const rt::Ref<RecordingWindow>& owner, std::function<bool()> act) {
    Value menu = makeMenu();
    Player player("Menu", std::move(act));
    int chosen = callSyslite("win_show_popup_menu", {owner->handle, menu}).toInt();
    callSyslite("win_destroy_menu", {menu});
    return chosen;
}

// The menu window once it shows and has the focus.
XWindowId focusedMenu() {
    XWindowId menu = shownTitled("Menu");
    return menu && g_run.display->activeWindow() == menu ? menu : 0;
}

TEST(HostDialogs, AMenuOpensAtThePointerAndAnswersTheChosenItemsId) {
    rt::Ref<RecordingWindow> owner = shownWindow(700, 500);
    ASSERT_NE(clientOf(owner, "menu owner"), 0u);
    g_run.display->movePointer(200, 150);
    XRect where;
    // Rows: About, Check for updates, divider (9 px), Quit, More (a group), Deep.
    EXPECT_EQ(showMenu(owner,
                       [&] {
                           XWindowId menu = focusedMenu();
                           if (!menu) return false;
                           where = g_run.x->geometry(menu);
                           g_run.display->click(where.x + 30,
                                                where.y + kMenuRowTop + kMenuRow + kMenuRow / 2);
                           // Again each turn until the menu answers: a click before its page is
                           // ready is lost.
                           return false;
                       }),
              9003);
    EXPECT_EQ(where.x, 200);
    EXPECT_EQ(where.y, 150);
    EXPECT_EQ(where.width, kMenuWidth);
    EXPECT_EQ(where.height, kMenuHeight);
    // An item of the sub-menu, shown below its label.
    EXPECT_EQ(showMenu(owner,
                       [&] {
                           XWindowId menu = focusedMenu();
                           if (!menu) return false;
                           XRect r = g_run.x->geometry(menu);
                           g_run.display->click(
                               r.x + 40, r.y + kMenuRowTop + 4 * kMenuRow + 9 + kMenuRow / 2);
                           return false;
                       }),
              77);
    // The sub-menu's own label is no choice: the click changes nothing, Escape then dismisses.
    bool clickedLabel = false;
    EXPECT_EQ(showMenu(owner,
                       [&] {
                           XWindowId menu = focusedMenu();
                           if (!menu) return false;
                           XRect r = g_run.x->geometry(menu);
                           if (!clickedLabel) {
                               g_run.display->click(
                                   r.x + 30, r.y + kMenuRowTop + 3 * kMenuRow + 9 + kMenuRow / 2);
                               clickedLabel = true;
                               return false;
                           }
                           // Again on every turn until the menu answers: a key before its page is
                           // ready is lost.
                           g_run.display->key("Escape");
                           return false;
                       }),
              0);
    closeWindow(owner);
}

TEST(HostDialogs, EscapeAndAClickOutsideTheMenuAnswerNothingChosen) {
    rt::Ref<RecordingWindow> owner = shownWindow(700, 500);
    XWindowId xo = clientOf(owner, "outside owner");
    ASSERT_NE(xo, 0u);
    g_run.display->movePointer(100, 100);
    EXPECT_EQ(showMenu(owner,
                       [] {
                           if (!focusedMenu()) return false;
                           // Again on every turn until the menu answers: a key before its page is
                           // ready is lost.
                           g_run.display->key("Escape");
                           return false;
                       }),
              0);
    // The click comes as soon as the menu shows with the focus, and closes it whether or not its
    // page heard of the focus by then.
    for (int round = 0; round < 3; ++round) {
        // The menu opens at the pointer, away from where the click goes.
        g_run.display->movePointer(100, 100);
        EXPECT_EQ(showMenu(owner,
                           [&] {
                               if (!focusedMenu()) return false;
                               XRect r = g_run.x->geometry(xo);
                               g_run.display->click(r.x + r.width - 40, r.y + r.height - 40);
                               return true;
                           }),
                  0)
            << "round " << round;
    }
    EXPECT_TRUE(pumpUntil([] { return g_run.x->findByTitle("Menu", 0, 0) == 0; }));
    closeWindow(owner);
}

TEST(HostDialogs, BoxesAndMenusOverAMaximisedWindowKeepTheirOwnSize) {
    rt::Ref<RecordingWindow> owner = shownWindow(600, 400);
    XWindowId xo = clientOf(owner, "maximised owner");
    ASSERT_NE(xo, 0u);
    callHost("window_set_prop", {owner->handle, kMaximized, true});
    ASSERT_TRUE(pumpUntil([&] { return g_run.x->geometry(xo).width > 1000; }));
    XRect box, menu;
    EXPECT_TRUE(confirm("Over maximised", [&] {
        XWindowId w = shownTitled("Over maximised");
        if (!w) return false;
        box = g_run.x->geometry(w);
        if (box.width != kBoxWidth || box.height != kOneLineBoxHeight) return false;
        return clickFromBottomRight("Over maximised", kFirstOfTwoButtonsX, kButtonsY)();
    }));
    EXPECT_EQ(box.width, kBoxWidth);
    EXPECT_EQ(box.height, kOneLineBoxHeight);
    g_run.display->movePointer(300, 200);
    const XRect wanted{300, 200, kMenuWidth, kMenuHeight};
    EXPECT_EQ(showMenu(owner,
                       [&] {
                           XWindowId w = focusedMenu();
                           if (!w || (menu = g_run.x->geometry(w)) != wanted) return false;
                           // Again on every turn until the menu answers: a key before its page is
                           // ready is lost.
                           g_run.display->key("Escape");
                           return false;
                       }),
              0);
    EXPECT_EQ(menu, wanted);
    closeWindow(owner);
}

// Last: the program quits while a box is up. The box closes, answering no, and the quit is not
// lost: it waits for the loop outside the box.
TEST(HostDialogs, QuittingWhileABoxIsUpClosesItAndTheQuitReachesTheLoopOutside) {
    rt::Ref<RecordingWindow> owner = shownWindow(600, 400);
    ASSERT_NE(clientOf(owner, "quitting owner"), 0u);
    EXPECT_FALSE(confirm("Quit box", [] {
        if (!shownTitled("Quit box")) return false;
        callHost("cef_app_quit", {});
        return true;
    }));
    int code = -1;
    EXPECT_EQ(ml_pump(0, &code), ML_QUIT);
    EXPECT_TRUE(pumpUntil([] { return g_run.x->findByTitle("Quit box", 0, 0) == 0; }));
    // Once quitting, a box is answered without a desktop.
    EXPECT_FALSE(callSyslite("dialogs_dialog_box", {"After quit", "x", false}).toBool());
}

}  // namespace
}  // namespace cefhx::testing

int main(int argc, char** argv) {
    using cefhx::testing::headedRun;
    ::testing::InitGoogleTest(&argc, argv);
    return cefhx::testing::runHeadedHost("#396", [] {
        setenv("SYSLITE_HOME", (headedRun().folder / "syslite").c_str(), 1);
        // No answers: whatever is answered comes from the player's side.
        setenv("SYSLITE_ANSWERS", (headedRun().folder / "no-answers.ini").c_str(), 1);
        return RUN_ALL_TESTS();
    });
}
