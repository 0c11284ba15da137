// A test on the fake host with one created window and its browser.
#pragma once

#include <gtest/gtest.h>

#include "lobby/bindings/cef/cef_browser.h"
#include "lobby/bindings/cef/cef_browser_settings.h"
#include "lobby/bindings/cef/cef_window.h"
#include "lobby/bindings/fake_host.h"
#include "runtime/create.h"

namespace cef::testing {

class WindowFixture : public ::testing::Test {
protected:
    // The window of "a.html", created with the native handle "hwnd".
    WindowFixture() {
        window = rt::create<CefWindow>("a.html", 1, 1, 0, rt::create<CefBrowserSettings>());
        window->on_create("hwnd");
        browser = window->get_cefBrowser();
    }

    bindings::FakeHost host;
    rt::Ref<CefWindow> window;
    rt::Ref<CefBrowser> browser;
};

}  // namespace cef::testing
