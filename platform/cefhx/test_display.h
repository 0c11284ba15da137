// Test support: a private X server (Xvfb) with a window manager (openbox) for headed tests,
// started and stopped by the test itself, and a second X client that looks at what the screen
// shows and plays the pointer through XTest.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/cefhx/x11_desktop.h"

namespace cefhx::testing {

class TestDisplay {
public:
    // Starts Xvfb on a free display (screen width x height) and openbox, waits until the window
    // manager runs, and sets DISPLAY. Throws std::runtime_error saying what failed.
    TestDisplay(int width, int height);
    ~TestDisplay();
    TestDisplay(const TestDisplay&) = delete;
    TestDisplay& operator=(const TestDisplay&) = delete;

    const std::string& name() const { return name_; }

    // Managed client windows (the window manager's list) that are viewable.
    std::vector<XWindowId> viewableClients();
    std::string title(XWindowId w);
    // The client area in root coordinates.
    XRect clientArea(XWindowId w);
    // _NET_FRAME_EXTENTS: left, right, top, bottom (empty when the window manager set none).
    std::vector<long> frameExtents(XWindowId w);
    // The atoms of _NET_WM_STATE by name.
    std::vector<std::string> netWmState(XWindowId w);
    XWindowId activeWindow();
    // WM_TRANSIENT_FOR, 0 for none.
    XWindowId transientFor(XWindowId w);
    // The pointer through XTest, in root coordinates.
    void movePointer(int x, int y);
    void button1(bool down);
    // A press and release of button 1 at (x, y).
    void click(int x, int y);
    // A press and release of the key named by its X key symbol ("Escape", "Return").
    void key(const std::string& keysym);
    // Asks the window to close, as the window manager's close button does (WM_DELETE_WINDOW).
    void askToClose(XWindowId w);
    // The whole screen as 8-bit RGB rows.
    std::vector<unsigned char> screenRgb(int* width, int* height);

private:
    std::string name_;
    pid_t server_ = -1;
    pid_t windowManager_ = -1;
    void* display_ = nullptr;  // Display*
};

}  // namespace cefhx::testing
