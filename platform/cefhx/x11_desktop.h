// The browser host's own connection to the X display Chromium shows its windows on. Chromium's
// windows belong to Chromium; the host finds each one's X window (by a unique temporary title and
// Chromium's process id) and acts on it as a window manager's client would: maps and withdraws
// it, raises and focuses it, sets its title, its decorations and its shape. Loop thread only.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

namespace cefhx {

// An X window id (XID); 0 is none.
using XWindowId = unsigned long;

struct XRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const XRect&) const = default;
};

// What a pointer drag takes along: the whole window, or the named edges (the EWMH numbering).
enum class MoveResize : int {
    TopLeft = 0,
    Top = 1,
    TopRight = 2,
    Right = 3,
    BottomRight = 4,
    Bottom = 5,
    BottomLeft = 6,
    Left = 7,
    Move = 8,
};

// The direction of a window_resize edge code (1 L, 2 R, 3 T, 4 TL, 5 TR, 6 B, 7 BL, 8 BR).
MoveResize resizeDirection(int edgeCode);

// The bounding shape of a window whose rect (left, top, right, bottom in the window, right and
// bottom exclusive) has corners rounded by ellipses of cornerWidth x cornerHeight, clipped to
// the window's width x height: one rectangle per run of rows of equal extent.
std::vector<XRect> roundedShape(int left, int top, int right, int bottom, int cornerWidth,
                                int cornerHeight, int width, int height);

class X11Desktop {
public:
    // The display of $DISPLAY, or null when there is none or it cannot be opened.
    static std::unique_ptr<X11Desktop> open();
    ~X11Desktop();
    X11Desktop(const X11Desktop&) = delete;
    X11Desktop& operator=(const X11Desktop&) = delete;

    // The top-level client window of process pid (any process for 0) whose title is exactly
    // title; waits up to timeoutMs for it to appear. 0 when none does.
    XWindowId findByTitle(const std::string& title, pid_t pid, int timeoutMs);

    // Maps the window in the normal state, raises it and asks the window manager to focus it;
    // returns once it is viewable (or after kMapTimeoutMs).
    void show(XWindowId w);
    static constexpr int kMapTimeoutMs = 2000;
    // Withdraws the window: unmapped, and the window manager told so (ICCCM).
    void hide(XWindowId w);
    // Asks the window manager to iconify the window (ICCCM WM_CHANGE_STATE).
    void iconify(XWindowId w);
    void setTitle(XWindowId w, const std::string& utf8);
    // Asks the window manager for no decorations (or its usual ones) through _MOTIF_WM_HINTS.
    void setDecorated(XWindowId w, bool decorated);
    // Makes the window a modal dialog of owner (WM_TRANSIENT_FOR, _NET_WM_STATE_MODAL): the
    // window manager keeps it above its owner and gives it the focus.
    void setOwner(XWindowId w, XWindowId owner);
    // Sets the window's bounding shape; an empty list removes the shape.
    void setShape(XWindowId w, const std::vector<XRect>& rects);
    // Reports the window's shape changes (Chromium sets shapes of its own) to shapeChanges.
    void watchShape(XWindowId w);
    // The windows whose shape changed since the last call, from the events that came so far.
    std::vector<XWindowId> shapeChanges();
    // The connection's descriptor, readable when the server has sent something.
    int connectionFd() const;
    // The window's bounding shape as the server keeps it (the whole window when unshaped).
    std::vector<XRect> shape(XWindowId w);
    // The size of the display's screen.
    void screenSize(int* width, int* height);
    // The client area in root coordinates.
    XRect geometry(XWindowId w);
    // Whether the window is mapped and viewable.
    bool viewable(XWindowId w);
    // The pointer's position in root coordinates; false when button 1 is not held.
    bool pointerWithButton1(int* x, int* y);
    // The window the window manager names active (_NET_ACTIVE_WINDOW), 0 for none.
    XWindowId activeWindow();
    // Reports the keyboard focus coming into the window (or a window inside it) and leaving it
    // to focusChanges; a keyboard grab's passing changes are left out.
    void watchFocus(XWindowId w);
    // Whether the keyboard focus is on the window or a window inside it.
    bool hasFocus(XWindowId w);
    struct FocusChange {
        XWindowId window = 0;
        bool in = false;  // came in; else left
        bool operator==(const FocusChange&) const = default;
    };
    // The focus changes of watched windows, oldest first, from the events that came so far.
    std::vector<FocusChange> focusChanges();
    // Notes the top-level windows made from now on (children of the root) for newWindows.
    void watchNewWindows();
    // The top-level windows made since the last call, oldest first, from the events that came
    // so far.
    std::vector<XWindowId> newWindows();
    // Moves and sizes the client area (root coordinates) through the window manager.
    void moveResize(XWindowId w, const XRect& r);
    void flush();

private:
    struct Impl;
    explicit X11Desktop(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace cefhx
