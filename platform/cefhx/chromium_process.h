// Debian's Chromium as a child process driven over the DevTools pipe (fd 3 in, fd 4 out).
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/shared/expected.h"

namespace cefhx {

struct ChromiumOptions {
    // The browser binary itself, not the shell wrapper in /usr/bin.
    std::string binary = "/usr/lib/chromium/chromium";
    bool headless = true;
    std::string profileDir;
    // "--lang", "--user-agent", "--js-flags" when not empty.
    std::string locale;
    std::string userAgent;
    std::string javascriptFlags;
    // The headless screen (the size system metrics report too).
    int screenWidth = 1920;
    int screenHeight = 1080;
    // Chromium's own messages on standard error; quiet unless asked for.
    bool logToStderr = false;
};

// The command line: no network of its own, no first-run or sync traffic, no throttling of hidden
// or occluded windows (the lobby page holds the server connection), and no window or start page
// until the program opens one.
std::vector<std::string> chromiumArguments(const ChromiumOptions& options);
// The command line of a second copy that hands an application window for url (no tab strip,
// address bar or menu) to the running browser of the same profile and exits.
std::vector<std::string> appWindowArguments(const ChromiumOptions& options, const std::string& url);

class ChromiumProcess {
public:
    ChromiumProcess() = default;
    ChromiumProcess(const ChromiumProcess&) = delete;
    ChromiumProcess& operator=(const ChromiumProcess&) = delete;
    ~ChromiumProcess();

    // Starts Chromium in its own process group; on success commandFd (blocking) and eventFd
    // (non-blocking) are our ends of the pipe, both close-on-exec. Otherwise answers what failed.
    morvick::Expected<void> start(const ChromiumOptions& options);

    pid_t pid() const { return pid_; }
    int commandFd() const { return commandFd_; }
    int eventFd() const { return eventFd_; }

    // Closes our ends of the pipe (Chromium exits when it sees that), waits for it up to
    // graceMs, then kills what is left of its process group and reaps it; returns once no
    // process of the group runs any more (waiting at most 2 s for the signal to take effect).
    void stop(int graceMs);

    // Asks the running browser for an application window on url through a second copy (started
    // in the browser's process group, reaped later); answers what failed when it cannot start.
    morvick::Expected<void> openAppWindow(const ChromiumOptions& options, const std::string& url);

private:
    // Reaps the second copies that have ended.
    void reapLaunchers();
    std::vector<pid_t> launchers_;
    pid_t pid_ = -1;
    int commandFd_ = -1;
    int eventFd_ = -1;
};

}  // namespace cefhx
