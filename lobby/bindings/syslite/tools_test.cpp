#include "lobby/bindings/syslite/tools.h"

#include <gtest/gtest.h>

#include "lobby/bindings/fake_host.h"
#include "lobby/bindings/syslite/browser.h"
#include "lobby/bindings/system_name.h"
#include "runtime/class_info.h"
#include "runtime/exception.h"

namespace syslite {
namespace {

// Runs the program as if on another system for the length of a test.
struct OtherSystem {
    explicit OtherSystem(const char* name) { bindings::setSystemName(name); }
    ~OtherSystem() { bindings::setSystemName("Windows"); }
};

std::string failureOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const rt::Exception& e) {
        return e.what();
    }
    return "";
}

int bindingsOf(const bindings::FakeHost& host, const std::string& name) {
    int n = 0;
    for (const auto& b : host.bindings()) n += b.name == name;
    return n;
}

TEST(ToolsTest, PrimitivesAreBoundOnTheirFirstUseOnly) {
    bindings::FakeHost host;
    EXPECT_EQ(bindingsOf(host, "win_create_process"), 0);
    host.answer("win_create_process", 1234);
    EXPECT_EQ(win::Tools::createProcess("C:\\UnityWebPlayer.exe", "/S", std::nullopt, false, true),
              1234);
    EXPECT_EQ(win::Tools::createProcess("a", "b", "c", true, true), 1234);
    EXPECT_EQ(bindingsOf(host, "win_create_process"), 1);
    EXPECT_EQ(host.calls("win_create_process")[0].args,
              (std::vector<rt::Value>{"C:\\UnityWebPlayer.exe", "/S", nullptr, false, true}));
    EXPECT_TRUE(
        rt::ClassInfo::find("syslite.win.Tools")->getStatic("_win_create_process").isFunction());
}

TEST(ToolsTest, ANullIconIndexMeansOne) {
    bindings::FakeHost host;
    host.answer("win_replace_exe_icon", true);
    EXPECT_TRUE(rt::ClassInfo::find("syslite.win.Tools")
                    ->callStatic("replaceExeIcon", {"a.exe", "a.ico", nullptr})
                    .toBool());
    EXPECT_EQ(host.calls("win_replace_exe_icon")[0].args[2], rt::Value(1));
    host.answer("win_replace_exe_icon", 1);
    EXPECT_FALSE(win::Tools::replaceExeIcon("a.exe", "a.ico", 3));
}

TEST(ToolsTest, ToolsAndBrowserLaunchNeedTheirSystems) {
    bindings::FakeHost host;
    {
        OtherSystem linux("Linux");
        EXPECT_EQ(failureOf([] { win::Tools::createProcess("a", "", "", false, false); }),
                  "Windows is required to run syslite.win.Tools.createProcess");
        EXPECT_EQ(failureOf([] { win::Tools::replaceExeIcon("a", "b", 1); }),
                  "Windows is required to run syslite.win.Tools.replaceExeIcon");
        EXPECT_EQ(failureOf([] { Browser::launch("http://127.0.0.1/"); }),
                  "syslite.Browser.launch() only works on Mac or Windows");
    }
    EXPECT_EQ(bindingsOf(host, "win_create_process"), 0);
    EXPECT_EQ(host.count("browser_launch"), 0);
    {
        OtherSystem mac("Mac");
        host.answer("browser_launch", true);
        EXPECT_TRUE(Browser::launch("http://127.0.0.1/"));
    }
}

}  // namespace
}  // namespace syslite
