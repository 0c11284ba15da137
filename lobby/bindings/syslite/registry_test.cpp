#include "lobby/bindings/syslite/registry.h"

#include <gtest/gtest.h>

#include "lobby/bindings/fake_host.h"
#include "lobby/bindings/syslite/clipboard.h"
#include "lobby/bindings/syslite/dialogs.h"
#include "lobby/bindings/syslite/display.h"
#include "runtime/class_info.h"
#include "runtime/record.h"

namespace syslite {
namespace {

TEST(RegistryTest, RootsAreConstantsReadableByName) {
    bindings::FakeHost host;
    const rt::ClassInfo* registry = rt::ClassInfo::find("syslite.Registry");
    ASSERT_NE(registry, nullptr);
    EXPECT_EQ(registry->getStatic("HKEY_DYN_DATA"), rt::Value(6));
    EXPECT_EQ(registry->getStatic("HKEY_CURRENT_USER"), rt::Value(1));
    host.answer("registry_get_value", "C:\\Unity");
    EXPECT_EQ(
        Registry::getValue(Registry::HKEY_CURRENT_USER, "Software\\Unity\\WebPlayer", "Directory"),
        "C:\\Unity");
    EXPECT_EQ(host.calls("registry_get_value")[0].args,
              (std::vector<rt::Value>{1, "Software\\Unity\\WebPlayer", "Directory"}));
    host.answer("registry_get_value", rt::Value());
    EXPECT_EQ(Registry::getValue(1, "k", "v"), std::nullopt);
}

TEST(SystemUtilitiesTest, ArgumentsAreConvertedBeforeTheCall) {
    bindings::FakeHost host;
    rt::ClassInfo::find("syslite.Dialogs")->callStatic("message", {"Title", nullptr, nullptr});
    EXPECT_EQ(host.calls("dialogs_message_box")[0].args,
              (std::vector<rt::Value>{"Title", nullptr, false}));
    rt::ClassInfo::find("syslite.win.Display")->callStatic("setMode", {1024, nullptr, 32.6});
    EXPECT_EQ(host.calls("display_set_mode")[0].args, (std::vector<rt::Value>{1024, 0, 32}));
}

TEST(SystemUtilitiesTest, AnswersAreReadAsTheCallersExpect) {
    bindings::FakeHost host;
    host.answer("display_get_screen_size", rt::Record::of({{"w", 1920}, {"h", 1080}}));
    EXPECT_EQ(win::Display::getScreenSize().get("w"), rt::Value(1920));
    EXPECT_FALSE(win::Display::isModeSupported(1, 2, 3));
    EXPECT_FALSE(Dialogs::confirm("t", "m", false));

    host.answer("dialogs_open_file", rt::Array::of({"a.txt", "b.txt"}));
    rt::Ref<rt::Array> files = Dialogs::openFile("t", "m", rt::Value());
    ASSERT_TRUE(files);
    EXPECT_EQ(files->size(), 2);
    host.answer("dialogs_open_file", rt::Array::of({"a.txt", 3}));
    EXPECT_FALSE(Dialogs::openFile("t", "m", rt::Value()));
    host.answer("dialogs_open_file", "a.txt");
    EXPECT_FALSE(Dialogs::openFile("t", "m", rt::Value()));

    host.answer("clipboard_get_text", "copied");
    Clipboard::setText("copied");
    EXPECT_EQ(Clipboard::getText(), "copied");
    EXPECT_EQ(host.calls("clipboard_set_text")[0].args, std::vector<rt::Value>{"copied"});
}

}  // namespace
}  // namespace syslite
