// The test host under the real binding classes: the bindings bind "cefhx" from the test host's
// own folder, so what runs here is what the program runs when a test copy loads the host.
#include <dlfcn.h>
#include <stdlib.h>

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "lobby/bindings/cef/cef_app.h"
#include "lobby/bindings/cef/cef_browser_settings.h"
#include "lobby/bindings/cef/cef_settings.h"
#include "lobby/bindings/cef/cef_window.h"
#include "lobby/bindings/cef/init_classes.h"
#include "lobby/bindings/primitive_binder.h"
#include "runtime/create.h"
#include "runtime/function.h"
#include "runtime/test_folder.h"

namespace {

struct Bound {
    std::string name;
    int argCount;
};

std::vector<std::string> readLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

bool anyLineHas(const std::vector<std::string>& lines, const std::string& text) {
    for (const std::string& l : lines) {
        if (l.find(text) != std::string::npos) return true;
    }
    return false;
}

class TestHostTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = new rt::testing::TestFolder();
        setenv("TESTHOST_RECORD", (*folder / "record.log").c_str(), 1);
        bindings::setPrimitiveLoader(
            [](const std::string& library, const std::string& name, int argCount) {
                if (library == "cefhx") bound.push_back({name, argCount});
                return rt::Primitive::load(library == "cefhx" ? TESTHOST_LIBRARY : library, name,
                                           argCount);
            });
        cef::initClasses();
    }
    static void TearDownTestSuite() {
        bindings::setPrimitiveLoader({});
        delete folder;
    }

    static inline rt::testing::TestFolder* folder = nullptr;
    static inline std::vector<Bound> bound;
};

// The program starts on the test host only when every primitive it binds is there under the
// same name and argument count.
TEST_F(TestHostTest, ExportsEveryPrimitiveTheBindingsBindWithTheSameArgumentCount) {
    ASSERT_GT(bound.size(), 80u);
    void* library = dlopen(TESTHOST_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(library, nullptr) << dlerror();
    std::set<std::string> missing;
    for (const Bound& b : bound) {
        std::string exportName = b.name + "__" + std::to_string(b.argCount);
        if (!dlsym(library, exportName.c_str())) missing.insert(exportName);
    }
    dlclose(library);
    EXPECT_TRUE(missing.empty()) << "missing: " << *missing.begin();
}

// One run of the loop through cef::CefApp::main: the ready callback makes a window, the script
// plays page calls and system messages on it, and everything lands in the record.
TEST_F(TestHostTest, PlaysAScriptAgainstTheProgramsWindowsAndRecordsWhatTheyDo) {
    std::string script = *folder / "script.txt";
    std::ofstream(script) << "call page.html set_sysMessageHook [true]\n"
                             "expect window_set_message_hook [page.html] true\n"
                             "call page.html set_title [\"Hello\"]\n"
                             "expect window_set_title [page.html] \"Hello\"\n"
                             "tray page.html 517\n"
                             "expect system [page.html] tray 1 517\n"
                             "newapp page.html\n"
                             "expect system [page.html] newapp\n"
                             "call page.html set_width [640]\n"
                             "expect on_size [page.html]\n"
                             "call page.html get_width\n"
                             "expect call [page.html] get_width [] -> 640\n"
                             "mark closing\n"
                             "close page.html\n"
                             "expect on_destroy [page.html] -> 0\n"
                             "quit\n";
    setenv("TESTHOST_SCRIPT", script.c_str(), 1);

    rt::Ref<cef::CefWindow> window;
    rt::Value onInit = rt::Function::of("onInit", [&](std::span<const rt::Value>) {
        window = rt::create<cef::CefWindow>(std::string("/srv/game/page.html"), rt::Value(300),
                                            rt::Value(200), rt::Value(0),
                                            rt::create<cef::CefBrowserSettings>());
        return rt::Value();
    });
    cef::CefApp::main(onInit, rt::create<cef::CefSettings>());

    std::vector<std::string> lines = readLines(*folder / "record.log");
    EXPECT_TRUE(anyLineHas(lines, " script done")) << lines.back();
    EXPECT_FALSE(anyLineHas(lines, "FAIL"));
    EXPECT_TRUE(anyLineHas(lines, " ready"));
    EXPECT_TRUE(anyLineHas(lines, "cef_window_create 300 200 0 \"/srv/game/page.html\""));
    EXPECT_TRUE(anyLineHas(lines, "event [page.html] onAfterCreated"));
    EXPECT_TRUE(anyLineHas(lines, " mark closing"));
    EXPECT_TRUE(anyLineHas(lines, " loop ended"));
    ASSERT_TRUE(window);
    EXPECT_EQ(window->get_title(), "Hello");
    EXPECT_TRUE(window->_handle.isNull());
    EXPECT_EQ(cef::CefApp::naviteWindows->size(), 0);
}

// A step that cannot happen fails the run instead of hanging it: the record names the line and
// the loop ends, closing the windows that are left.
TEST_F(TestHostTest, AStepThatNeverCompletesFailsTheRunAndEndsTheLoop) {
    std::string script = *folder / "stuck.txt";
    std::ofstream(script) << "# waits for a page call nobody makes\n"
                             "expect invoke [stuck.html] never\n";
    setenv("TESTHOST_SCRIPT", script.c_str(), 1);
    setenv("TESTHOST_STEP_TIMEOUT_MS", "100", 1);
    size_t before = readLines(*folder / "record.log").size();

    rt::Ref<cef::CefWindow> window;
    rt::Value ready = rt::Function::of("ready", [&](std::span<const rt::Value>) {
        window = rt::create<cef::CefWindow>(std::string("stuck.html"), rt::Value(10), rt::Value(10),
                                            rt::Value(0), rt::create<cef::CefBrowserSettings>());
        return rt::Value();
    });
    // CefApp::main runs once per program; the host's own entry runs the loop again.
    cef::CefApp::cef_app_main(ready, rt::create<cef::CefSettings>());

    std::vector<std::string> lines = readLines(*folder / "record.log");
    lines.erase(lines.begin(), lines.begin() + static_cast<long>(before));
    EXPECT_TRUE(
        anyLineHas(lines, "FAIL script line 2: expect invoke [stuck.html] never: timed out"));
    EXPECT_FALSE(anyLineHas(lines, "script done"));
    EXPECT_TRUE(anyLineHas(lines, "on_destroy [stuck.html]"));
    EXPECT_TRUE(anyLineHas(lines, " loop ended"));
    unsetenv("TESTHOST_STEP_TIMEOUT_MS");
}

}  // namespace
