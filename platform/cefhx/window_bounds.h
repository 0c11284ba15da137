// A window's size, position and state worked out from the host's properties: what a property
// change tells the window afterwards (both hosts), and the Browser.setWindowBounds commands that
// put the state and bounds on Chromium's window.
#pragma once

#include <json/json.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/cefhx/host_window.h"

namespace cefhx {

// Sets the property and answers the window message the program hears of the change by
// (kSizedMessage, kMinimizedMessage, ...), 0 for none. Minimised and maximised exclude each
// other.
uint32_t changeWindowProperty(HostWindow& w, WindowProperty id, const rt::Value& v);

struct BoundsUpdate {
    // The params of each Browser.setWindowBounds to send, in order.
    std::vector<Json::Value> commands;
    // The window manager is asked to minimise the X window as well.
    bool iconify = false;
    // The window manager is asked to map the minimised X window back (and the commands wait
    // until it is on screen).
    bool deiconify = false;
    // The state the commands put Chromium's window in; empty when nothing is sent.
    std::string state;
};

// What puts w's state and bounds on Chromium's window (browserWindowId). Headless, the
// minimised state stays the host's; with a display a withdrawn window is left alone.
BoundsUpdate windowBounds(const HostWindow& w, bool headless, bool hasDesktop);

}  // namespace cefhx
