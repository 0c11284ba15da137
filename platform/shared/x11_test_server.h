// Test equipment: a private X server (Xvfb) and, when a test asks, a private session bus, each
// started for one test program and stopped with it. No test touches the session's own display
// or bus.
#pragma once

#include <sys/types.h>

#include <initializer_list>
#include <string>

#include "platform/shared/no_copy.h"

namespace platform::test {

// A child process that reports where it listens on a pipe; stopped (SIGTERM, then reaped) when
// the object goes.
class ChildService : private morvick::NoCopy {
public:
    ChildService() = default;
    ~ChildService() { stop(); }

    // Runs argv (the placeholder "{fd}" in it becomes the pipe's descriptor number) and answers
    // the first line the child writes to the pipe; throws with the reason when it writes none.
    std::string start(const std::string& what, std::initializer_list<std::string> argv);
    void stop();

private:
    pid_t pid_ = -1;
};

// Xvfb on a free display number, screen 1280x1024x24, no TCP; it does not reset when its last
// client leaves, so a test's next connection is never refused.
class XvfbServer {
public:
    XvfbServer();
    // ":N", for XOpenDisplay and $DISPLAY.
    const std::string& display() const { return display_; }
    // Sets $DISPLAY to this server (for code that reads the environment).
    void exportDisplay() const;

private:
    ChildService process_;
    std::string display_;
};

// A dbus-daemon with the session configuration on a private address.
class PrivateBus {
public:
    PrivateBus();
    const std::string& address() const { return address_; }
    // Sets $DBUS_SESSION_BUS_ADDRESS to this bus.
    void exportAddress() const;

private:
    ChildService process_;
    std::string address_;
};

// One server and one bus per test program, started at the first use; they end with the program.
XvfbServer& sharedXvfb();
PrivateBus& sharedBus();

}  // namespace platform::test
