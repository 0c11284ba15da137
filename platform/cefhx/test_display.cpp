#include "platform/cefhx/test_display.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace cefhx::testing {
namespace {

Display* dpy(void* d) {
    return static_cast<Display*>(d);
}

pid_t spawn(std::vector<std::string> args, int keepFd) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error(std::string("fork for ") + args[0] + ": " + strerror(errno));
    if (pid == 0) {
        int devnull = open("/dev/null", O_RDWR);
        if (devnull >= 0) {
            dup2(devnull, 0);
            dup2(devnull, 1);
            dup2(devnull, 2);
        }
        for (int fd = 3; fd < 1024; ++fd) {
            if (fd != keepFd) close(fd);
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

void endProcess(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

// 32-bit items of a property.
std::vector<long> longs(Display* d, Window w, const char* name, Atom type) {
    std::vector<long> out;
    Atom actual = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, w, XInternAtom(d, name, False), 0, 1024, False, type, &actual,
                           &format, &count, &after, &data) == Success &&
        data && format == 32) {
        auto* items = reinterpret_cast<long*>(data);
        out.assign(items, items + count);
    }
    if (data) XFree(data);
    return out;
}

}  // namespace

TestDisplay::TestDisplay(int width, int height) {
    int ready[2];
    if (pipe(ready) != 0) throw std::runtime_error("pipe for Xvfb's display number");
    // Xvfb picks a free display and writes its number to the descriptor: no guessing, no clash
    // with other servers on the machine.
    server_ =
        spawn({"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0",
               std::to_string(width) + "x" + std::to_string(height) + "x24", "-nolisten", "tcp"},
              ready[1]);
    close(ready[1]);
    std::string number;
    char c = 0;
    while (read(ready[0], &c, 1) == 1 && c != '\n') number += c;
    close(ready[0]);
    if (number.empty()) throw std::runtime_error("Xvfb did not start (is the package xvfb there?)");
    name_ = ":" + number;
    setenv("DISPLAY", name_.c_str(), 1);
    display_ = XOpenDisplay(name_.c_str());
    if (!display_) throw std::runtime_error("cannot open the display " + name_);
    Display* d = dpy(display_);
    Window root = DefaultRootWindow(d);
    XSelectInput(d, root, PropertyChangeMask);
    windowManager_ = spawn({"openbox"}, -1);
    // The window manager runs once it has announced itself on the root window.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (longs(d, root, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW).empty()) {
        if (std::chrono::steady_clock::now() > deadline) {
            throw std::runtime_error("openbox did not start on " + name_);
        }
        if (XPending(d) == 0) {
            pollfd p{ConnectionNumber(d), POLLIN, 0};
            poll(&p, 1, 1000);
        }
        while (XPending(d) > 0) {
            XEvent e;
            XNextEvent(d, &e);
        }
    }
}

TestDisplay::~TestDisplay() {
    if (display_) XCloseDisplay(dpy(display_));
    endProcess(windowManager_);
    endProcess(server_);
}

std::vector<XWindowId> TestDisplay::viewableClients() {
    Display* d = dpy(display_);
    std::vector<XWindowId> out;
    for (long w : longs(d, DefaultRootWindow(d), "_NET_CLIENT_LIST", XA_WINDOW)) {
        XWindowAttributes a{};
        if (XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable) out.push_back(w);
    }
    return out;
}

std::string TestDisplay::title(XWindowId w) {
    Display* d = dpy(display_);
    std::string out;
    Atom actual = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, w, XInternAtom(d, "_NET_WM_NAME", False), 0, 1024, False,
                           XInternAtom(d, "UTF8_STRING", False), &actual, &format, &count, &after,
                           &data) == Success &&
        data) {
        out.assign(reinterpret_cast<char*>(data), count);
    }
    if (data) XFree(data);
    return out;
}

XRect TestDisplay::clientArea(XWindowId w) {
    Display* d = dpy(display_);
    XWindowAttributes a{};
    if (!XGetWindowAttributes(d, w, &a)) return {};
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, &x, &y, &child);
    return {x, y, a.width, a.height};
}

std::vector<long> TestDisplay::frameExtents(XWindowId w) {
    return longs(dpy(display_), w, "_NET_FRAME_EXTENTS", XA_CARDINAL);
}

std::vector<std::string> TestDisplay::netWmState(XWindowId w) {
    Display* d = dpy(display_);
    std::vector<std::string> out;
    for (long atom : longs(d, w, "_NET_WM_STATE", XA_ATOM)) {
        if (char* name = XGetAtomName(d, atom)) {
            out.push_back(name);
            XFree(name);
        }
    }
    return out;
}

XWindowId TestDisplay::activeWindow() {
    Display* d = dpy(display_);
    std::vector<long> active = longs(d, DefaultRootWindow(d), "_NET_ACTIVE_WINDOW", XA_WINDOW);
    return active.empty() ? 0 : active[0];
}

XWindowId TestDisplay::transientFor(XWindowId w) {
    Window owner = 0;
    return XGetTransientForHint(dpy(display_), w, &owner) ? owner : 0;
}

void TestDisplay::movePointer(int x, int y) {
    Display* d = dpy(display_);
    XTestFakeMotionEvent(d, 0, x, y, CurrentTime);
    XSync(d, False);
    // The server queues fake input and moves the pointer when it works through that queue,
    // which on a busy machine may come after another client's next request (a menu that opens
    // at the pointer): the move is done once the server reports the pointer there. A point off
    // the screen is never reached; the wait ends with the time allowed.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
        Window root = 0, child = 0;
        int rootX = 0, rootY = 0, winX = 0, winY = 0;
        unsigned int mask = 0;
        if (!XQueryPointer(d, DefaultRootWindow(d), &root, &child, &rootX, &rootY, &winX, &winY,
                           &mask) ||
            (rootX == x && rootY == y) || std::chrono::steady_clock::now() > until) {
            return;
        }
        sched_yield();
    }
}

void TestDisplay::button1(bool down) {
    XTestFakeButtonEvent(dpy(display_), 1, down, CurrentTime);
    XSync(dpy(display_), False);
}

void TestDisplay::click(int x, int y) {
    movePointer(x, y);
    button1(true);
    button1(false);
}

void TestDisplay::key(const std::string& keysym) {
    Display* d = dpy(display_);
    const KeyCode code = XKeysymToKeycode(d, XStringToKeysym(keysym.c_str()));
    XTestFakeKeyEvent(d, code, True, CurrentTime);
    XTestFakeKeyEvent(d, code, False, CurrentTime);
    XSync(d, False);
}

void TestDisplay::askToClose(XWindowId w) {
    Display* d = dpy(display_);
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, w, False, NoEventMask, &e);
    XSync(d, False);
}

std::vector<unsigned char> TestDisplay::screenRgb(int* width, int* height) {
    Display* d = dpy(display_);
    Window root = DefaultRootWindow(d);
    XWindowAttributes a{};
    XGetWindowAttributes(d, root, &a);
    std::vector<unsigned char> rgb;
    XImage* image = XGetImage(d, root, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
    if (!image) return rgb;
    *width = a.width;
    *height = a.height;
    rgb.reserve(static_cast<size_t>(a.width) * a.height * 3);
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            unsigned long p = XGetPixel(image, x, y);
            rgb.push_back(static_cast<unsigned char>((p & image->red_mask) >> 16));
            rgb.push_back(static_cast<unsigned char>((p & image->green_mask) >> 8));
            rgb.push_back(static_cast<unsigned char>(p & image->blue_mask));
        }
    }
    XDestroyImage(image);
    return rgb;
}

}  // namespace cefhx::testing
