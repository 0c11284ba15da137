#include "platform/cefhx/x11_desktop.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace cefhx {

MoveResize resizeDirection(int edgeCode) {
    static constexpr MoveResize kByCode[] = {
        MoveResize::Left,     MoveResize::Right,  MoveResize::Top,        MoveResize::TopLeft,
        MoveResize::TopRight, MoveResize::Bottom, MoveResize::BottomLeft,
    };
    return edgeCode >= 1 && edgeCode <= 7 ? kByCode[edgeCode - 1] : MoveResize::BottomRight;
}

std::vector<XRect> roundedShape(int left, int top, int right, int bottom, int cornerWidth,
                                int cornerHeight, int width, int height) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, width);
    bottom = std::min(bottom, height);
    std::vector<XRect> rects;
    if (right <= left || bottom <= top) return rects;
    const double rx = std::clamp(cornerWidth, 0, right - left) / 2.0;
    const double ry = std::clamp(cornerHeight, 0, bottom - top) / 2.0;
    for (int y = top; y < bottom; ++y) {
        // How far the row is inside a corner's ellipse band, measured at the pixel's centre.
        double dy = 0;
        if (y + 0.5 < top + ry) dy = top + ry - (y + 0.5);
        if (y + 0.5 > bottom - ry) dy = (y + 0.5) - (bottom - ry);
        int inset = 0;
        if (dy > 0 && ry > 0) {
            double t = std::min(1.0, dy / ry);
            inset = static_cast<int>(std::lround(rx - rx * std::sqrt(1.0 - t * t)));
        }
        XRect row{left + inset, y, right - left - 2 * inset, 1};
        if (row.width <= 0) continue;
        if (!rects.empty() && rects.back().x == row.x && rects.back().width == row.width &&
            rects.back().y + rects.back().height == y) {
            ++rects.back().height;
        } else {
            rects.push_back(row);
        }
    }
    return rects;
}

struct X11Desktop::Impl {
    Display* display = nullptr;
    Window root = 0;
    bool shapeExtension = false;
    int shapeEventBase = 0;
    std::vector<Window> shapeChanged;
    std::vector<FocusChange> focusChanged;
    bool noteCreated = false;
    std::vector<Window> created;
    Atom netClientList = 0, netWmName = 0, netWmPid = 0, utf8 = 0, netActiveWindow = 0,
         motifHints = 0, netFrameExtents = 0;

    Atom atom(const char* name) { return XInternAtom(display, name, False); }

    // Reads a property of the given item format (8 or 32 bits; 32-bit items are longs in
    // Xlib) and hands its items to take; nothing when it is missing or of another format.
    template <class Take>
    void readProperty(Window w, Atom property, Atom type, int wantedFormat, Take take) {
        Atom actual = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, w, property, 0, 4096, False, type, &actual, &format, &count,
                               &after, &data) == Success &&
            data && format == wantedFormat) {
            take(data, count);
        }
        if (data) XFree(data);
    }

    std::vector<unsigned long> cardinals(Window w, Atom property, Atom type) {
        std::vector<unsigned long> out;
        readProperty(w, property, type, 32, [&](unsigned char* data, unsigned long count) {
            auto* items = reinterpret_cast<unsigned long*>(data);
            out.assign(items, items + count);
        });
        return out;
    }

    std::string text(Window w, Atom property, Atom type) {
        std::string out;
        readProperty(w, property, type, 8, [&](unsigned char* data, unsigned long count) {
            out.assign(reinterpret_cast<char*>(data), count);
        });
        return out;
    }

    // Top-level client windows: the window manager's list, else every child of the root and, for
    // a reparenting manager without the list, their children.
    // The window manager's clients, then the root's children it does not list: a withdrawn
    // window is no client, yet it is still a window of the program's.
    std::vector<Window> clients() {
        std::vector<Window> out;
        for (unsigned long w : cardinals(root, netClientList, XA_WINDOW)) out.push_back(w);
        const bool managed = !out.empty();
        Window rootReturn = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, root, &rootReturn, &parent, &children, &count)) return out;
        for (unsigned int i = 0; i < count; ++i) {
            if (managed) {
                if (std::find(out.begin(), out.end(), children[i]) == out.end()) {
                    out.push_back(children[i]);
                }
                continue;
            }
            out.push_back(children[i]);
            Window* inner = nullptr;
            unsigned int innerCount = 0;
            if (XQueryTree(display, children[i], &rootReturn, &parent, &inner, &innerCount)) {
                out.insert(out.end(), inner, inner + innerCount);
                if (inner) XFree(inner);
            }
        }
        if (children) XFree(children);
        return out;
    }

    // The focus entering or leaving a watched window as a change of the player's: a keyboard
    // grab's begin and end, a move between the window and its own children and the pointer's
    // part in the focus are none.
    void noteFocus(const XFocusChangeEvent& e) {
        if (e.mode == NotifyGrab || e.mode == NotifyUngrab || e.detail == NotifyInferior ||
            e.detail == NotifyPointer) {
            return;
        }
        focusChanged.push_back({e.window, e.type == FocusIn});
    }

    // Takes every event the server has sent, noting shape and focus changes.
    void drain() {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == FocusIn || event.type == FocusOut) noteFocus(event.xfocus);
            if (event.type == CreateNotify && noteCreated && event.xcreatewindow.parent == root) {
                created.push_back(event.xcreatewindow.window);
            }
            if (shapeExtension && event.type == shapeEventBase + ShapeNotify) {
                Window w = reinterpret_cast<XShapeEvent*>(&event)->window;
                if (std::find(shapeChanged.begin(), shapeChanged.end(), w) == shapeChanged.end()) {
                    shapeChanged.push_back(w);
                }
            }
        }
    }

    // Looks until done() or the time is up, sleeping between looks until the server sends
    // something (the callers select the events that tell of the change they wait for).
    bool waitUntil(int timeoutMs, const std::function<bool()>& done) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (done()) return true;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            if (left <= 0) return false;
            XFlush(display);
            if (XPending(display) == 0) {
                pollfd p{ConnectionNumber(display), POLLIN, 0};
                ::poll(&p, 1, static_cast<int>(left));
            }
            drain();
        }
    }

    void clientMessage(Window w, Atom type, long a, long b, long c, long d, long e) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = w;
        event.xclient.message_type = type;
        event.xclient.format = 32;
        event.xclient.data.l[0] = a;
        event.xclient.data.l[1] = b;
        event.xclient.data.l[2] = c;
        event.xclient.data.l[3] = d;
        event.xclient.data.l[4] = e;
        XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    }
};

namespace {

// A window that went away between a lookup and a request is no failure of the host's.
int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

}  // namespace

std::unique_ptr<X11Desktop> X11Desktop::open() {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) return nullptr;
    Display* display = XOpenDisplay(name);
    if (!display) return nullptr;
    XSetErrorHandler(ignoreErrors);
    auto impl = std::make_unique<Impl>();
    impl->display = display;
    impl->root = DefaultRootWindow(display);
    int errorBase = 0;
    impl->shapeExtension = XShapeQueryExtension(display, &impl->shapeEventBase, &errorBase);
    impl->netClientList = impl->atom("_NET_CLIENT_LIST");
    impl->netWmName = impl->atom("_NET_WM_NAME");
    impl->netWmPid = impl->atom("_NET_WM_PID");
    impl->utf8 = impl->atom("UTF8_STRING");
    impl->netActiveWindow = impl->atom("_NET_ACTIVE_WINDOW");
    impl->motifHints = impl->atom("_MOTIF_WM_HINTS");
    impl->netFrameExtents = impl->atom("_NET_FRAME_EXTENTS");
    // New clients and their title changes wake the wait in findByTitle.
    XSelectInput(display, impl->root, SubstructureNotifyMask | PropertyChangeMask);
    return std::unique_ptr<X11Desktop>(new X11Desktop(std::move(impl)));
}

X11Desktop::X11Desktop(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

X11Desktop::~X11Desktop() {
    XCloseDisplay(impl_->display);
}

XWindowId X11Desktop::findByTitle(const std::string& title, pid_t pid, int timeoutMs) {
    Impl& x = *impl_;
    XWindowId found = 0;
    x.waitUntil(timeoutMs, [&] {
        for (Window w : x.clients()) {
            std::vector<unsigned long> owner = x.cardinals(w, x.netWmPid, XA_CARDINAL);
            if (pid != 0 && (owner.empty() || owner[0] != static_cast<unsigned long>(pid))) {
                continue;
            }
            // Title changes of the candidates wake the wait too.
            XSelectInput(x.display, w, PropertyChangeMask | StructureNotifyMask);
            if (x.text(w, x.netWmName, x.utf8) == title) {
                found = w;
                return true;
            }
        }
        return false;
    });
    return found;
}

void X11Desktop::show(XWindowId w) {
    Impl& x = *impl_;
    // A window minimised before it was withdrawn must come back normal, not iconic.
    if (XWMHints* hints = XGetWMHints(x.display, w)) {
        hints->flags |= StateHint;
        hints->initial_state = NormalState;
        XSetWMHints(x.display, w, hints);
        XFree(hints);
    }
    XSelectInput(x.display, w, PropertyChangeMask | StructureNotifyMask);
    XMapRaised(x.display, w);
    // Once the window manager has mapped it: state requests (Chromium's among them) sent to a
    // window it does not manage yet are lost.
    x.waitUntil(kMapTimeoutMs, [&] { return viewable(w); });
    // Source 2: a pager-like request, which window managers honour without focus-stealing checks.
    x.clientMessage(w, x.netActiveWindow, 2, CurrentTime, 0, 0, 0);
    XFlush(x.display);
}

void X11Desktop::hide(XWindowId w) {
    XWithdrawWindow(impl_->display, w, DefaultScreen(impl_->display));
    XFlush(impl_->display);
}

void X11Desktop::iconify(XWindowId w) {
    XIconifyWindow(impl_->display, w, DefaultScreen(impl_->display));
    XFlush(impl_->display);
}

void X11Desktop::setTitle(XWindowId w, const std::string& utf8) {
    Impl& x = *impl_;
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    XChangeProperty(x.display, w, x.netWmName, x.utf8, 8, PropModeReplace, bytes,
                    static_cast<int>(utf8.size()));
    XChangeProperty(x.display, w, XA_WM_NAME, x.utf8, 8, PropModeReplace, bytes,
                    static_cast<int>(utf8.size()));
    XFlush(x.display);
}

void X11Desktop::setDecorated(XWindowId w, bool decorated) {
    Impl& x = *impl_;
    // flags (decorations given), functions, decorations, input mode, status.
    long hints[5] = {2, 0, decorated ? 1 : 0, 0, 0};
    XChangeProperty(x.display, w, x.motifHints, x.motifHints, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(hints), 5);
    XFlush(x.display);
}

void X11Desktop::setOwner(XWindowId w, XWindowId owner) {
    Impl& x = *impl_;
    XSetTransientForHint(x.display, w, owner);
    const Atom modal = x.atom("_NET_WM_STATE_MODAL");
    if (viewable(w)) {
        // A mapped window's state belongs to the window manager: ask it (1 adds).
        x.clientMessage(w, x.atom("_NET_WM_STATE"), 1, static_cast<long>(modal), 0, 1, 0);
    } else {
        XChangeProperty(x.display, w, x.atom("_NET_WM_STATE"), XA_ATOM, 32, PropModeAppend,
                        reinterpret_cast<const unsigned char*>(&modal), 1);
    }
    XFlush(x.display);
}

void X11Desktop::setShape(XWindowId w, const std::vector<XRect>& rects) {
    Impl& x = *impl_;
    if (!x.shapeExtension) return;
    if (rects.empty()) {
        XShapeCombineMask(x.display, w, ShapeBounding, 0, 0, None, ShapeSet);
    } else {
        std::vector<XRectangle> xr;
        for (const XRect& r : rects) {
            xr.push_back(XRectangle{static_cast<short>(r.x), static_cast<short>(r.y),
                                    static_cast<unsigned short>(r.width),
                                    static_cast<unsigned short>(r.height)});
        }
        XShapeCombineRectangles(x.display, w, ShapeBounding, 0, 0, xr.data(),
                                static_cast<int>(xr.size()), ShapeSet, YXBanded);
    }
    XFlush(x.display);
}

void X11Desktop::watchShape(XWindowId w) {
    if (impl_->shapeExtension) XShapeSelectInput(impl_->display, w, ShapeNotifyMask);
}

std::vector<XWindowId> X11Desktop::shapeChanges() {
    impl_->drain();
    std::vector<XWindowId> out(impl_->shapeChanged.begin(), impl_->shapeChanged.end());
    impl_->shapeChanged.clear();
    return out;
}

int X11Desktop::connectionFd() const {
    return ConnectionNumber(impl_->display);
}

std::vector<XRect> X11Desktop::shape(XWindowId w) {
    std::vector<XRect> out;
    if (!impl_->shapeExtension) return out;
    int count = 0, ordering = 0;
    XRectangle* rects = XShapeGetRectangles(impl_->display, w, ShapeBounding, &count, &ordering);
    for (int i = 0; i < count; ++i) {
        out.push_back({rects[i].x, rects[i].y, rects[i].width, rects[i].height});
    }
    if (rects) XFree(rects);
    return out;
}

void X11Desktop::screenSize(int* width, int* height) {
    *width = DisplayWidth(impl_->display, DefaultScreen(impl_->display));
    *height = DisplayHeight(impl_->display, DefaultScreen(impl_->display));
}

XRect X11Desktop::geometry(XWindowId w) {
    Impl& x = *impl_;
    XWindowAttributes a{};
    if (!XGetWindowAttributes(x.display, w, &a)) return {};
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(x.display, w, x.root, 0, 0, &rootX, &rootY, &child);
    return {rootX, rootY, a.width, a.height};
}

bool X11Desktop::viewable(XWindowId w) {
    XWindowAttributes a{};
    return XGetWindowAttributes(impl_->display, w, &a) && a.map_state == IsViewable;
}

bool X11Desktop::pointerWithButton1(int* x, int* y) {
    Window rootReturn = 0, child = 0;
    int winX = 0, winY = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(impl_->display, impl_->root, &rootReturn, &child, x, y, &winX, &winY,
                       &mask)) {
        return false;
    }
    return (mask & Button1Mask) != 0;
}

XWindowId X11Desktop::activeWindow() {
    Impl& x = *impl_;
    std::vector<unsigned long> active = x.cardinals(x.root, x.netActiveWindow, XA_WINDOW);
    return active.empty() ? 0 : active[0];
}

void X11Desktop::watchFocus(XWindowId w) {
    XSelectInput(impl_->display, w, FocusChangeMask);
    XFlush(impl_->display);
}

bool X11Desktop::hasFocus(XWindowId w) {
    Impl& x = *impl_;
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(x.display, &focus, &revert);
    // PointerRoot (1) and None (0) are no windows; the walk up ends at the root.
    while (focus > PointerRoot && focus != x.root) {
        if (focus == w) return true;
        Window rootReturn = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(x.display, focus, &rootReturn, &parent, &children, &count)) return false;
        if (children) XFree(children);
        focus = parent;
    }
    return false;
}

std::vector<X11Desktop::FocusChange> X11Desktop::focusChanges() {
    impl_->drain();
    std::vector<FocusChange> out;
    out.swap(impl_->focusChanged);
    return out;
}

void X11Desktop::watchNewWindows() {
    impl_->noteCreated = true;
}

std::vector<XWindowId> X11Desktop::newWindows() {
    impl_->drain();
    std::vector<XWindowId> out(impl_->created.begin(), impl_->created.end());
    impl_->created.clear();
    return out;
}

void X11Desktop::moveResize(XWindowId w, const XRect& r) {
    Impl& x = *impl_;
    // A managed window's position is its frame's (north-west gravity): step back by the frame.
    std::vector<unsigned long> frame = x.cardinals(w, x.netFrameExtents, XA_CARDINAL);
    const int left = frame.size() == 4 ? static_cast<int>(frame[0]) : 0;
    const int top = frame.size() == 4 ? static_cast<int>(frame[2]) : 0;
    XMoveResizeWindow(x.display, w, r.x - left, r.y - top,
                      static_cast<unsigned>(std::max(1, r.width)),
                      static_cast<unsigned>(std::max(1, r.height)));
    XFlush(x.display);
}

void X11Desktop::flush() {
    XFlush(impl_->display);
}

}  // namespace cefhx
