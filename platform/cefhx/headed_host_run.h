// Test support: the frame of a test program that drives the browser host headed. It makes a
// fresh folder with a plain page, starts a private Xvfb with openbox and the host in it
// (cef_app_main, headed, a fresh profile), runs the tests inside the ready function, quits, and
// fails the program when a browser process outlives the quit.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>

#include "platform/cefhx/test_display.h"
#include "platform/cefhx/x11_desktop.h"

namespace cefhx::testing {

struct HeadedHostRun {
    std::filesystem::path folder;  // holds page.html, the profile and what the tests keep
    TestDisplay* display = nullptr;
    std::unique_ptr<X11Desktop> x;  // the test's own look at the screen
};

// The run while the tests play; only valid inside `tests`.
HeadedHostRun& headedRun();

// Answers what `tests` answered, or 1 when the display or the host did not run, or a browser
// process was left. The page's body has the given background colour.
int runHeadedHost(const std::string& pageBackground, const std::function<int()>& tests);

}  // namespace cefhx::testing
