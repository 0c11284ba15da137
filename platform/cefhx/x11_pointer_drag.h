// Moving and sizing a window by the pointer while button 1 stays down. The page asks for it from
// its mouse-down handler, when Chromium holds the pointer grab of that press, so a window
// manager could not take the pointer over (_NET_WM_MOVERESIZE needs the grab): the host follows
// the pointer itself and moves the window through the window manager as it goes.
#pragma once

#include <functional>
#include <memory>

#include "platform/cefhx/x11_desktop.h"

namespace cefhx {

// The client area after the pointer moved by (dx, dy) from where the drag began; sizing keeps
// at least minWidth x minHeight and holds the opposite edge still.
XRect draggedRect(const XRect& start, MoveResize what, int dx, int dy, int minWidth, int minHeight);

class PointerDrag : public std::enable_shared_from_this<PointerDrag> {
public:
    using Done = std::function<void(const XRect& last)>;
    // Begins following the pointer; null when button 1 is not down (the press is over already).
    // done runs once, on the loop thread, when the button comes up or stop is called.
    static std::shared_ptr<PointerDrag> start(X11Desktop& desktop, XWindowId window,
                                              MoveResize what, Done done);
    void stop();
    bool active() const { return active_; }

    static constexpr int kMinWidth = 100;
    static constexpr int kMinHeight = 60;
    static constexpr unsigned kStepMs = 15;

private:
    PointerDrag(X11Desktop& desktop, XWindowId window, MoveResize what, Done done);
    static void onStep(void* arg);
    void step();
    void schedule();

    X11Desktop& desktop_;
    XWindowId window_;
    MoveResize what_;
    Done done_;
    XRect start_;
    XRect last_;
    int pointerX_ = 0;
    int pointerY_ = 0;
    bool active_ = true;
};

}  // namespace cefhx
