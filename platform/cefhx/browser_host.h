// The browser host: one Chromium over the DevTools pipe, driven from the process's message
// loop, with one page target per program window. Everything here runs on the loop thread except
// postTask.
#pragma once

#include <json/json.h>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/cefhx/cdp_connection.h"
#include "platform/cefhx/chromium_process.h"
#include "platform/cefhx/devtools_transport.h"
#include "platform/cefhx/host_window.h"
#include "platform/cefhx/page_events.h"
#include "platform/cefhx/single_instance.h"
#include "platform/cefhx/target_tracker.h"
#include "platform/cefhx/x11_desktop.h"
#include "platform/cefhx/x11_pointer_drag.h"
#include "runtime/value.h"

namespace cefhx {

class BrowserHost {
public:
    // The process's one host.
    static BrowserHost& instance();

    // Binds the message loop to the calling thread when nothing has yet; false on failure.
    bool ensureLoop();

    // cef_app_main: starts Chromium, calls ready once, runs the loop until quit, then closes
    // every window and ends Chromium. Returns at once when quit came first.
    void runMain(const rt::Value& ready, const rt::Value& settings);
    // The options runMain starts Chromium with: the settings object's fields read by name, then
    // the environment (CEFHX_CHROMIUM, CEFHX_HEADLESS, CEFHX_PROFILE_DIR, CEFHX_BROWSER_LOG).
    static ChromiumOptions optionsFrom(const rt::Value& settings);
    // Starts Chromium and attaches to its page targets; answers what failed when it could not.
    morvick::Expected<void> start(const ChromiumOptions& options);
    // Reads the browser's messages from eventFd and writes commands to commandFd.
    void connect(int commandFd, int eventFd);
    // Talks to the browser through another transport (tests: a recording fake); it must stay
    // until the host is connected elsewhere.
    void connect(DevToolsTransport& transport);
    // Ends the loop run by runMain (or marks the quit when none runs yet).
    void requestQuit();
    bool quitRequested() const { return quitRequested_; }
    // Closes every window (on_destroy) and ends Chromium, leaving no process behind.
    void shutdown();

    bool started() const { return transport_->isOpen(); }
    pid_t browserPid() const { return chromium_.pid(); }
    const ChromiumOptions& options() const { return options_; }
    // The pipe, when the host started Chromium or was connected to file descriptors.
    CdpConnection& cdp() { return cdp_; }
    // The connection in use (Chromium's pipe, or the transport given to connect()).
    DevToolsTransport& devTools() { return *transport_; }
    SingleInstance& singleInstance() { return instance_; }
    // The host's X display connection; null headless or without X.
    X11Desktop* desktop() const { return desktop_.get(); }

    void setFilterPaths(std::vector<std::string> paths);
    const std::vector<std::string>& filterPaths() const { return filterPaths_; }

    // Windows. A handle is the loop window's number as an Int.
    rt::Value createWindow(int width, int height, int flags, const rt::Value& object,
                           const rt::Value& browser);
    std::shared_ptr<HostWindow> window(const rt::Value& handle) const;
    std::shared_ptr<HostWindow> windowByHwnd(ml_hwnd hwnd) const;
    std::vector<std::shared_ptr<HostWindow>> windows() const;
    // Asks on_close and destroys the window when it answers true.
    bool closeWindow(const std::shared_ptr<HostWindow>& w);
    // Raises onBeforeClose, closes the target, calls on_destroy and forgets the window.
    void destroyWindow(const std::shared_ptr<HostWindow>& w);
    void showWindow(const std::shared_ptr<HostWindow>& w, bool visible);
    void setWindowProperty(const std::shared_ptr<HostWindow>& w, WindowProperty id,
                           const rt::Value& v);
    // With a display (browser_host_desktop.cpp; no-ops without one or before the window's X
    // window is found): the native title, a pointer drag that moves or sizes the window while
    // button 1 stays down, and a rounded bounding region (rect as left, top, right, bottom).
    void setNativeTitle(const std::shared_ptr<HostWindow>& w, const std::string& title);
    void dragWindow(const std::shared_ptr<HostWindow>& w, MoveResize what);
    void setWindowRound(const std::shared_ptr<HostWindow>& w, int left, int top, int right,
                        int bottom, int cornerWidth, int cornerHeight);
    // Makes w a modal dialog of owner on the desktop (host-owned boxes and menus).
    void setWindowOwner(const std::shared_ptr<HostWindow>& w, ml_hwnd owner);
    // Raises "on_task" with the delay value on the window after delayMs. Any thread.
    static bool postTask(ml_hwnd hwnd, const rt::Value& delay);
    // Delivers a system message to every window whose message hook is on.
    void broadcastSystemMessage(uint32_t msg, uintptr_t wparam, intptr_t lparam);

    // A command on the window's page session without waiting; false when it has none.
    bool sendToPage(HostWindow& w, const std::string& method, const Json::Value& params,
                    DevToolsTransport::Reply reply = {});
    // A command on the page session, waited for up to kCallTimeoutMs.
    morvick::Expected<Json::Value> callPage(HostWindow& w, const std::string& method,
                                            const Json::Value& params);

    static constexpr int kCallTimeoutMs = 10000;
    // The name of the page binding behind the bridge.
    static constexpr const char* kBindingName = "__cefhxCall";
    // The page title the host sets for a moment to find a window's X window; never reported.
    static constexpr const char* kTitleTokenPrefix = PageEvents::kTitleTokenPrefix;
    // How long a second copy of Chromium may take to hand over its window, and how long the
    // window manager may take to show a page's new title.
    static constexpr int kAppWindowTimeoutMs = 20000;
    static constexpr int kFindWindowTimeoutMs = 5000;
    // A window whose X window did not show in time is looked for again after a pause, this
    // many times at most: a busy machine may take longer than one search to show a title.
    static constexpr int kFindWindowRetryMs = 1000;
    static constexpr int kFindWindowAttempts = 10;

private:
    BrowserHost();

    static intptr_t windowProc(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam,
                               void* user);
    intptr_t handleMessage(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam);
    void onEvent(const Json::Value& message);
    void onBrowserClosed();
    void createTarget(const std::shared_ptr<HostWindow>& w);
    void setUpSession(const std::shared_ptr<HostWindow>& w);
    void applyBounds(HostWindow& w);
    // The desktop's part in page events: the X window is looked for once the start page has
    // loaded, and the native title put back after Chromium wrote the page's.
    void onMainFrameLoaded(const std::shared_ptr<HostWindow>& w, const std::string& url);
    void onTitleReported(HostWindow& w);
    // Application windows with a display, one second copy of Chromium at a time: the next
    // attached page without an opener is the launching window's.
    void queueAppWindow(const std::shared_ptr<HostWindow>& w);
    void launchNextAppWindow();
    bool claimAppWindow(const Json::Value& targetInfo, const std::string& sessionId);
    static void appWindowLaunchTimedOut(void* launch);
    void onAppWindowLaunchTimeout(uint64_t launch);
    // Finds the window's X window once its page has loaded (a unique temporary page title),
    // then puts the window's desktop state on it.
    void findXWindow(const std::shared_ptr<HostWindow>& w);
    void findXWindowLater(ml_hwnd hwnd);
    void applyDesktopState(HostWindow& w);
    void applyShape(HostWindow& w);
    void applyOwner(HostWindow& w);
    // Puts a window's rounded shape back when Chromium replaced it (it sets shapes of its own
    // on size and state changes); runs when the X connection has events, and soon after the
    // host used the connection (events may wait in Xlib's queue then).
    void onDesktopEvents();
    void checkDesktopSoon();
    static void desktopReadable(int fd, unsigned revents, void* arg);
    // Stops watching the X connection and closes it.
    void closeDesktop();

    ChromiumOptions options_;
    ChromiumProcess chromium_;
    CdpConnection cdp_;
    DevToolsTransport* transport_ = &cdp_;
    SingleInstance instance_;
    bool quitRequested_ = false;
    bool running_ = false;
    std::vector<std::string> filterPaths_;
    WindowMap windows_;
    TargetTracker tracker_;
    PageEvents events_;
    std::unique_ptr<X11Desktop> desktop_;
    uint64_t desktopWatch_ = 0;
    bool desktopCheckPosted_ = false;
    std::deque<ml_hwnd> appQueue_;
    ml_hwnd appLaunching_ = 0;
    uint64_t appLaunchNumber_ = 0;
    std::shared_ptr<PointerDrag> drag_;
};

}  // namespace cefhx
