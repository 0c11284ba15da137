#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include <X11/Xlib.h>

namespace syslite {

// A connection to the X display served by a thread of its own: the clipboard's selection and the
// tray icons live there, so they answer other programs while the caller's thread is busy. Every
// use of the connection happens on that thread (through call), never on the caller's.
class X11Session {
public:
    // Opens the display of that name (XOpenDisplay's form); throws when it cannot.
    explicit X11Session(const std::string& display);
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;
    ~X11Session();

    // The session on $DISPLAY, opened at the first use; null without a display (the caller
    // keeps its headless behaviour). Lives as long as the process.
    static X11Session* onDisplay();

    // Runs fn with the connection on the session's thread and waits for it to end; exceptions
    // come back to the caller. From the session's own thread it runs at once.
    void call(const std::function<void(Display*)>& fn);

    // Events of a window go to its handler (on the session's thread); set and drop them from
    // inside call. Events of windows without a handler go to the fallback handler, if any.
    void handle(Window window, std::function<void(XEvent&)> handler);
    void forget(Window window);
    void handleOthers(std::function<void(XEvent&)> handler);

    // Inside call: serves events until done() holds or the guard runs out (a peer that never
    // answers); answers done().
    bool serveUntil(const std::function<bool()>& done, int guardMs);

    Display* display() const { return display_; }

private:
    void run();
    void dispatchPending();
    void runTasks();
    void wake();

    Display* display_ = nullptr;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::mutex lock_;
    std::condition_variable done_;
    std::deque<std::function<void()>> tasks_;
    bool stopping_ = false;
    std::map<Window, std::function<void(XEvent&)>> handlers_;
    std::function<void(XEvent&)> others_;
    std::thread thread_;
};

}  // namespace syslite
