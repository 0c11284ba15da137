#include <vector>

#include "platform/msgloop/msgloop.h"
#include "platform/shared/system_messages.h"
#include "platform/syslite/primitives_fixture.h"

namespace syslite {
namespace {

using rt::Value;
using testing::call;

struct Message {
    uint32_t msg;
    uintptr_t wparam;
    intptr_t lparam;
};

intptr_t recordMessage(ml_hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam, void* user) {
    static_cast<std::vector<Message>*>(user)->push_back({msg, wparam, lparam});
    return 0;
}

// A message-loop window standing in for the lobby window.
class TrayTest : public testing::PrimitivesTest {
protected:
    void SetUp() override {
        PrimitivesTest::SetUp();
        ASSERT_EQ(ml_init(), ML_OK);
        ASSERT_EQ(ml_create_window(recordMessage, &received_, &window_), ML_OK);
    }
    void TearDown() override {
        ml_shutdown();
        PrimitivesTest::TearDown();
    }

    // Runs the loop until a message arrived or a generous bound of turns has passed.
    void pumpUntilMessage() {
        for (int turn = 0; turn < 200 && received_.empty(); ++turn) ml_pump(50, nullptr);
    }
    // Runs a few loop turns, for checks that nothing arrives.
    void pumpIdle() {
        for (int turn = 0; turn < 3; ++turn) ml_pump(10, nullptr);
    }

    ml_hwnd window_ = 0;
    std::vector<Message> received_;
};

TEST_F(TrayTest, ConfiguredClickReachesTheOwnerAsATrayMessage) {
    answer("tray_click = 517, 515\n");
    Value icon = call("systray_create_icon", {Value(static_cast<int32_t>(window_)),
                                              Value("C:\\Lobby.ico"), Value("Morvick")});
    ASSERT_FALSE(icon.isNull());
    pumpUntilMessage();
    ASSERT_EQ(received_.size(), 1u);
    EXPECT_EQ(received_[0].msg, SYSMSG_TRAY);
    EXPECT_EQ(received_[0].lparam, SYSMSG_MOUSE_RBUTTONUP);
    call("systray_destroy_icon", {icon});

    received_.clear();
    Value second = call("systray_create_icon",
                        {Value(static_cast<int32_t>(window_)), Value("x.ico"), Value("tip")});
    pumpUntilMessage();
    ASSERT_EQ(received_.size(), 1u);
    EXPECT_EQ(received_[0].lparam, SYSMSG_MOUSE_LBUTTONDBLCLK);
    EXPECT_NE(received_[0].wparam, 0u);
    EXPECT_NE(logText().find("tool tip \"tip\""), std::string::npos);
    call("systray_destroy_icon", {second});
}

TEST_F(TrayTest, AClickOnARemovedIconIsDroppedAndNoClickIsMadeUnasked) {
    answer("tray_click = 517\ntray_click_delay_ms = 20\n");
    Value icon = call("systray_create_icon",
                      {Value(static_cast<int32_t>(window_)), Value("i.ico"), Value("t")});
    call("systray_destroy_icon", {icon});
    const std::string dropped = "not delivered: the icon is gone";
    for (int turn = 0; turn < 200 && logText().find(dropped) == std::string::npos; ++turn) {
        ml_pump(50, nullptr);
    }
    EXPECT_TRUE(received_.empty());
    EXPECT_NE(logText().find(dropped), std::string::npos);

    answer("");
    Value quiet = call("systray_create_icon",
                       {Value(static_cast<int32_t>(window_)), Value("i.ico"), Value("t")});
    pumpIdle();
    EXPECT_TRUE(received_.empty());
    call("systray_destroy_icon", {quiet});
}

TEST_F(TrayTest, DestroyingTwiceOrAForeignValueIsHarmless) {
    Value icon = call("systray_create_icon", {Value(7), Value("i.ico"), Value("t")});
    call("systray_destroy_icon", {icon});
    call("systray_destroy_icon", {icon});
    call("systray_destroy_icon", {Value("not an icon")});
    call("systray_destroy_icon", {Value()});
    EXPECT_NE(logText().find("is no live tray icon"), std::string::npos);
    EXPECT_TRUE(call("systray_menu_callback", {}).isNull());
}

Value trayMenu() {
    Value menu = testing::call("win_popup_menu_create", {});
    for (auto [label, id] : {std::pair{"关于", 9004}, {"检查更新", 9003}, {"退出", 9002}}) {
        EXPECT_EQ(testing::call("win_add_menu_item", {menu, Value(label), Value(id)}).toInt(), 1);
    }
    return menu;
}

TEST_F(TrayTest, PopupAnswersTheChosenItemByIdOrLabel) {
    Value menu = trayMenu();
    Value owner(static_cast<int32_t>(window_));
    answer("menu = 9002, 关于, 4711\n");
    EXPECT_EQ(call("win_show_popup_menu", {owner, menu}).toInt(), 9002);
    EXPECT_EQ(call("win_show_popup_menu", {owner, menu}).toInt(), 9004);
    EXPECT_EQ(call("win_show_popup_menu", {owner, menu}).toInt(), 0);
    answer("");
    EXPECT_EQ(call("win_show_popup_menu", {owner, menu}).toInt(), 0);
    EXPECT_NE(logText().find("9004 \"关于\" | 9003 \"检查更新\" | 9002 \"退出\""),
              std::string::npos);
    call("win_destroy_menu", {menu});
}

TEST_F(TrayTest, SubmenusAndDividersTakePartInTheChoice) {
    Value bar = call("win_menu_create", {});
    Value sub = call("win_popup_menu_create", {});
    EXPECT_EQ(call("win_add_menu_item", {sub, Value("Deep"), Value(31)}).toInt(), 1);
    EXPECT_EQ(call("win_add_menu_divider", {bar, Value(0)}).toInt(), 1);
    EXPECT_EQ(call("win_add_menu_submenu", {bar, sub, Value("More"), Value(30)}).toInt(), 1);
    EXPECT_EQ(call("win_show_menu", {Value(static_cast<int32_t>(window_)), bar}).toInt(), 1);
    answer("menu = Deep\n");
    EXPECT_EQ(call("win_show_popup_menu", {Value(1), bar}).toInt(), 31);
    EXPECT_NE(logText().find("-- | 30 \"More\" [ 31 \"Deep\" ]"), std::string::npos);
    call("win_destroy_menu", {bar});
    call("win_destroy_menu", {sub});
}

TEST_F(TrayTest, DestroyedOrForeignMenusAreRefused) {
    Value menu = trayMenu();
    Value icon = call("systray_create_icon", {Value(1), Value("i.ico"), Value("t")});
    call("win_destroy_menu", {menu});
    answer("menu = 9002\n");
    EXPECT_EQ(call("win_add_menu_item", {menu, Value("x"), Value(1)}).toInt(), 0);
    EXPECT_EQ(call("win_show_popup_menu", {Value(1), menu}).toInt(), 0);
    EXPECT_EQ(call("win_show_popup_menu", {Value(1), icon}).toInt(), 0);
    EXPECT_EQ(call("win_add_menu_submenu", {icon, menu, Value("x"), Value(1)}).toInt(), 0);
    EXPECT_EQ(call("win_show_menu", {Value(1), Value()}).toInt(), 0);
    call("win_destroy_menu", {menu});
    call("systray_destroy_icon", {icon});
}

}  // namespace
}  // namespace syslite
