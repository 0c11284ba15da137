#include "lobby/bindings/syslite/menus.h"

#include <gtest/gtest.h>

#include "lobby/bindings/fake_host.h"
#include "lobby/bindings/syslite/tray.h"
#include "runtime/create.h"

namespace syslite::win {
namespace {

TEST(MenusTest, ThePopupFlagChoosesTheKindOfMenu) {
    bindings::FakeHost host;
    host.answer("win_menu_create", "bar");
    host.answer("win_popup_menu_create", "popup");
    EXPECT_EQ(rt::create<Menus>(false)->getHandle().str(), "bar");
    EXPECT_EQ(rt::create<Menus>(true)->getHandle().str(), "popup");
    EXPECT_EQ(host.count("win_menu_create"), 1);
    EXPECT_EQ(host.count("win_popup_menu_create"), 1);
}

TEST(MenusTest, ATrayMenuIsBuiltShownAndDisposed) {
    bindings::FakeHost host;
    host.answer("win_popup_menu_create", [](auto) { return rt::Value("menu"); });
    rt::Ref<Menus> menu = rt::create<Menus>(true);
    rt::Ref<Menus> sub = rt::create<Menus>(true);
    rt::Value m(menu);
    m.callMember("addItem", {"Open", 1});
    m.callMember("addDivider", {2});
    m.callMember("addSubmenu", {sub, "More", 3});
    EXPECT_EQ(host.calls("win_add_menu_item")[0].args, (std::vector<rt::Value>{"menu", "Open", 1}));
    EXPECT_EQ(host.calls("win_add_menu_submenu")[0].args,
              (std::vector<rt::Value>{"menu", "menu", "More", 3}));

    EXPECT_EQ(m.callMember("showPopup", {"owner"}), rt::Value(0)) << "null reads as no item";
    host.answer("win_show_popup_menu", 3);
    EXPECT_EQ(menu->showPopup("owner"), 3);
    EXPECT_EQ(host.calls("win_show_popup_menu")[0].args, (std::vector<rt::Value>{"owner", "menu"}));
    menu->dispose();
    EXPECT_EQ(host.calls("win_destroy_menu")[0].args, std::vector<rt::Value>{"menu"});
}

TEST(TrayTest, TheIconValueIsKeptAndSentBackOnEveryDispose) {
    bindings::FakeHost host;
    host.answer("systray_create_icon", "icon-1");
    rt::Ref<Tray> tray = rt::create<Tray>("hwnd", "res\\logo.ico", "Morvick");
    EXPECT_EQ(host.calls("systray_create_icon")[0].args,
              (std::vector<rt::Value>{"hwnd", "res\\logo.ico", "Morvick"}));
    rt::Value(tray).callMember("dispose", {});
    tray->dispose();
    auto disposed = host.calls("systray_destroy_icon");
    ASSERT_EQ(disposed.size(), 2u);
    EXPECT_EQ(disposed[1].args, std::vector<rt::Value>{"icon-1"});
    EXPECT_EQ(host.count("systray_menu_callback"), 0);
}

}  // namespace
}  // namespace syslite::win
