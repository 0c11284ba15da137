#include "platform/syslite/x11_session.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <exception>
#include <stdexcept>

#include "platform/shared/platform_log.h"
#include "platform/shared/x11_error_trap.h"
#include "platform/syslite/settings.h"

namespace syslite {

X11Session::X11Session(const std::string& display) {
    display_ = XOpenDisplay(display.c_str());
    if (!display_) throw std::runtime_error("the X display \"" + display + "\" cannot be opened");
    platform::trapXErrors(display_);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        platform::untrapXErrors(display_);
        XCloseDisplay(display_);
        throw std::runtime_error("no pipe for the X session's thread");
    }
    wakeRead_ = fds[0];
    wakeWrite_ = fds[1];
    thread_ = std::thread([this] { run(); });
}

X11Session::~X11Session() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
    }
    wake();
    thread_.join();
    platform::untrapXErrors(display_);
    XCloseDisplay(display_);
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

X11Session* X11Session::onDisplay() {
    static std::mutex lock;
    // Never torn down: its thread serves the display until the process ends.
    static X11Session* session = nullptr;
    static bool tried = false;
    std::lock_guard<std::mutex> guard(lock);
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name || headless()) return nullptr;
    if (session || tried) return session;
    tried = true;
    try {
        session = new X11Session(name);
    } catch (const std::exception& e) {
        platform::log("syslite", e.what() + std::string("; working without a display"));
    }
    return session;
}

void X11Session::wake() {
    char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(wakeWrite_, &byte, 1);
}

void X11Session::call(const std::function<void(Display*)>& fn) {
    if (std::this_thread::get_id() == thread_.get_id()) {
        fn(display_);
        return;
    }
    bool finished = false;
    std::exception_ptr failure;
    {
        std::lock_guard<std::mutex> guard(lock_);
        tasks_.push_back([&] {
            try {
                fn(display_);
            } catch (...) {
                failure = std::current_exception();
            }
            std::lock_guard<std::mutex> inner(lock_);
            finished = true;
            done_.notify_all();
        });
    }
    wake();
    std::unique_lock<std::mutex> guard(lock_);
    done_.wait(guard, [&] { return finished; });
    if (failure) std::rethrow_exception(failure);
}

void X11Session::handle(Window window, std::function<void(XEvent&)> handler) {
    handlers_[window] = std::move(handler);
}

void X11Session::forget(Window window) {
    handlers_.erase(window);
}

void X11Session::handleOthers(std::function<void(XEvent&)> handler) {
    others_ = std::move(handler);
}

void X11Session::dispatchPending() {
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        auto it = handlers_.find(event.xany.window);
        if (it != handlers_.end()) {
            auto handler = it->second;
            handler(event);
        } else if (others_) {
            others_(event);
        }
    }
}

bool X11Session::serveUntil(const std::function<bool()>& done, int guardMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(guardMs);
    while (true) {
        dispatchPending();
        if (done()) return true;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        if (left <= 0) return false;
        pollfd p{ConnectionNumber(display_), POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(left));
    }
}

void X11Session::runTasks() {
    while (true) {
        std::function<void()> task;
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (tasks_.empty()) return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
}

void X11Session::run() {
    while (true) {
        runTasks();
        // XPending flushes what the handlers sent and leaves the queue empty when it answers 0,
        // so the poll below never sleeps over an event that was already read.
        dispatchPending();
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (stopping_) return;
            if (!tasks_.empty()) continue;
        }
        pollfd fds[2] = {{ConnectionNumber(display_), POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        ::poll(fds, 2, -1);
        char drain[64];
        while (::read(wakeRead_, drain, sizeof drain) > 0) {
        }
    }
}

}  // namespace syslite
