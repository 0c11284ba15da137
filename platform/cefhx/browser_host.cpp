#include "platform/cefhx/browser_host.h"

#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>

#include "platform/cefhx/file_url.h"
#include "platform/cefhx/host_dialogs.h"
#include "platform/cefhx/json_fields.h"
#include "platform/cefhx/page_bridge.h"
#include "platform/cefhx/request_interceptor.h"
#include "platform/cefhx/tour_player.h"
#include "platform/cefhx/window_messages.h"
#include "runtime/record.h"
#include "runtime/value_scope.h"

namespace cefhx {
namespace {

constexpr int kDefaultWidth = 800;
constexpr int kDefaultHeight = 600;

std::string envText(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::string textField(const rt::Value& object, const char* name) {
    rt::Value v = object.get(name);
    return v.isString() ? std::string(v.str()) : std::string();
}

uint64_t fnv1a(std::string_view text) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

// A persistent profile per installation (the folder the program runs in).
std::string defaultProfileDir() {
    std::string base = envText("XDG_DATA_HOME");
    if (base.empty()) base = envText("HOME") + "/.local/share";
    char cwd[4096];
    std::string installation = getcwd(cwd, sizeof cwd) ? cwd : "";
    char hash[32];
    std::snprintf(hash, sizeof hash, "%016llx",
                  static_cast<unsigned long long>(fnv1a(installation)));
    return base + "/morvick/browser-profile-" + hash;
}

void logFailure(const std::string& what, const std::string& error) {
    if (!error.empty()) std::fprintf(stderr, "cefhx: %s: %s\n", what.c_str(), error.c_str());
}

struct PostedTask {
    ml_hwnd hwnd;
    rt::Value delay;
};

void runPostedTask(void* arg) {
    std::unique_ptr<PostedTask> task(static_cast<PostedTask*>(arg));
    BrowserHost& host = BrowserHost::instance();
    std::shared_ptr<HostWindow> w = host.windowByHwnd(task->hwnd);
    if (!w || w->destroying) return;
    w->callMember("onBrowserEvent", {rt::Value("on_task"), task->delay});
}

}  // namespace

BrowserHost& BrowserHost::instance() {
    static BrowserHost* host = new BrowserHost();
    return *host;
}

bool BrowserHost::ensureLoop() {
    if (ml_is_loop_thread()) return true;
    if (ml_init() != ML_OK) {
        std::fprintf(stderr, "cefhx: cannot start the message loop: %s\n", ml_last_error());
        return false;
    }
    return true;
}

ChromiumOptions BrowserHost::optionsFrom(const rt::Value& settings) {
    ChromiumOptions o;
    o.locale = textField(settings, "locale");
    o.userAgent = textField(settings, "userAgent");
    o.javascriptFlags = textField(settings, "javascriptFlags");
    o.profileDir = textField(settings, "cachePath");
    if (std::string v = envText("CEFHX_PROFILE_DIR"); !v.empty()) o.profileDir = v;
    if (o.profileDir.empty()) o.profileDir = defaultProfileDir();
    if (std::string v = envText("CEFHX_CHROMIUM"); !v.empty()) o.binary = v;
    std::string headless = envText("CEFHX_HEADLESS");
    o.headless = headless.empty() ? envText("DISPLAY").empty() && envText("WAYLAND_DISPLAY").empty()
                                  : headless != "0";
    o.logToStderr = envText("CEFHX_BROWSER_LOG") == "1";
    return o;
}

void BrowserHost::start(const ChromiumOptions& options) {
    if (cdp_.isOpen()) return;
    if (!ensureLoop()) throw std::runtime_error("the message loop cannot start");
    options_ = options;
    if (!options.headless) desktop_ = X11Desktop::open();
    // System metrics describe the screen the windows are on.
    if (desktop_) desktop_->screenSize(&options_.screenWidth, &options_.screenHeight);
    if (desktop_ && ml_watch_fd(desktop_->connectionFd(), POLLIN, 0, &BrowserHost::desktopReadable,
                                this, &desktopWatch_) != ML_OK) {
        desktopWatch_ = 0;
    }
    chromium_.start(options);
    connect(chromium_.commandFd(), chromium_.eventFd());
    std::string error;
    Json::Value discover(Json::objectValue);
    discover["discover"] = true;
    cdp_.call("Target.setDiscoverTargets", discover, "", kCallTimeoutMs, &error);
    if (error.empty()) {
        Json::Value attach(Json::objectValue);
        attach["autoAttach"] = true;
        attach["waitForDebuggerOnStart"] = true;
        attach["flatten"] = true;
        Json::Value filter(Json::arrayValue);
        Json::Value page(Json::objectValue);
        page["type"] = "page";
        filter.append(page);
        attach["filter"] = filter;
        cdp_.call("Target.setAutoAttach", attach, "", kCallTimeoutMs, &error);
    }
    if (!error.empty()) {
        cdp_.close();
        chromium_.stop(0);
        throw std::runtime_error("the browser " + options.binary + " did not start: " + error);
    }
    HostDialogs::attach(*this);
    // Windows made before the browser was there get their pages now.
    for (const auto& w : windows()) {
        if (w->targetId.empty()) createTarget(w);
    }
}

void BrowserHost::connect(int commandFd, int eventFd) {
    cdp_.open(
        commandFd, eventFd, [this](const Json::Value& m) { onEvent(m); },
        [this] { onBrowserClosed(); });
}

void BrowserHost::runMain(const rt::Value& ready, const rt::Value& settings) {
    if (quitRequested_) return;
    if (!ensureLoop()) return;
    ml_set_dispatch_hooks([](void*) { morvick_value_scope_open(); },
                          [](void*) { morvick_value_scope_close(); }, nullptr);
    try {
        start(optionsFrom(settings));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cefhx: %s\n", e.what());
        return;
    }
    running_ = true;
    try {
        if (ready.isFunction()) ready.call({});
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cefhx: the ready function failed: %s\n", e.what());
    }
    // A scripted tour (CEFHX_TOUR) plays once the program has made its first windows.
    std::shared_ptr<TourPlayer> tour;
    if (TourSettings tourSettings = TourSettings::fromEnvironment();
        !quitRequested_ && !tourSettings.file.empty()) {
        tour = TourPlayer::start(*this, std::move(tourSettings), [this] { requestQuit(); });
    }
    if (!quitRequested_) ml_run(nullptr);
    if (tour) tour->stop();
    tour.reset();
    running_ = false;
    shutdown();
}

void BrowserHost::requestQuit() {
    quitRequested_ = true;
    if (running_) ml_post_quit(0);
}

void BrowserHost::shutdown() {
    HostDialogs::detach();
    if (drag_) drag_->stop();
    drag_.reset();
    for (const auto& w : windows()) destroyWindow(w);
    cdp_.close();
    chromium_.stop(5000);
    sessions_.clear();
    unclaimed_.clear();
    popups_.clear();
    appQueue_.clear();
    appLaunching_ = 0;
    if (desktopWatch_) ml_unwatch_fd(desktopWatch_);
    desktopWatch_ = 0;
    desktop_.reset();
    instance_.release();
}

void BrowserHost::setFilterPaths(std::vector<std::string> paths) {
    filterPaths_ = std::move(paths);
    Json::Value params(Json::objectValue);
    params["patterns"] = fetchPatterns();
    for (const auto& w : windows()) sendToPage(*w, "Fetch.enable", params);
}

Json::Value BrowserHost::fetchPatterns() const {
    Json::Value patterns(Json::arrayValue);
    Json::Value documents(Json::objectValue);
    documents["urlPattern"] = "*";
    documents["resourceType"] = "Document";
    documents["requestStage"] = "Request";
    patterns.append(documents);
    for (const std::string& p : filterPaths_) {
        Json::Value pattern(Json::objectValue);
        pattern["urlPattern"] = "*" + p + "*";
        pattern["requestStage"] = "Request";
        patterns.append(pattern);
    }
    return patterns;
}

// ---- windows ----

rt::Value BrowserHost::createWindow(int width, int height, int flags, const rt::Value& object,
                                    const rt::Value& browser) {
    if (!ensureLoop()) return {};
    ml_hwnd hwnd = 0;
    if (ml_create_window(&BrowserHost::windowProc, nullptr, &hwnd) != ML_OK) {
        std::fprintf(stderr, "cefhx: cannot create a window: %s\n", ml_last_error());
        return {};
    }
    auto w = std::make_shared<HostWindow>(hwnd, object, browser, width > 0 ? width : kDefaultWidth,
                                          height > 0 ? height : kDefaultHeight, flags);
    w->startUrl = pageAddress(textField(object, "url"));
    windows_[hwnd] = w;
    rt::Value handle(static_cast<int32_t>(hwnd));
    w->callMember("on_create", {handle});
    if (cdp_.isOpen() && !w->destroying) createTarget(w);
    return handle;
}

std::shared_ptr<HostWindow> BrowserHost::window(const rt::Value& handle) const {
    if (!handle.isNumber()) return nullptr;
    return windowByHwnd(static_cast<ml_hwnd>(handle.toInt()));
}

std::shared_ptr<HostWindow> BrowserHost::windowByHwnd(ml_hwnd hwnd) const {
    auto it = windows_.find(hwnd);
    return it == windows_.end() ? nullptr : it->second;
}

std::vector<std::shared_ptr<HostWindow>> BrowserHost::windows() const {
    std::vector<std::shared_ptr<HostWindow>> all;
    for (const auto& [hwnd, w] : windows_) all.push_back(w);
    return all;
}

std::shared_ptr<HostWindow> BrowserHost::windowBySession(const std::string& sessionId) const {
    auto it = sessions_.find(sessionId);
    return it == sessions_.end() ? nullptr : windowByHwnd(it->second);
}

std::shared_ptr<HostWindow> BrowserHost::windowByTarget(const std::string& targetId) const {
    for (const auto& [hwnd, w] : windows_) {
        if (!targetId.empty() && w->targetId == targetId) return w;
    }
    return nullptr;
}

bool BrowserHost::closeWindow(const std::shared_ptr<HostWindow>& w) {
    if (!w || w->destroying) return false;
    if (!w->callMember("on_close", {}).toBool()) return false;
    destroyWindow(w);
    return true;
}

void BrowserHost::destroyWindow(const std::shared_ptr<HostWindow>& w) {
    if (!w || w->destroying) return;
    w->raise(BrowserEvent::BeforeClose, {});
    w->destroying = true;
    if (!w->sessionId.empty()) sessions_.erase(w->sessionId);
    if (!w->targetId.empty() && cdp_.isOpen()) {
        Json::Value params(Json::objectValue);
        params["targetId"] = w->targetId;
        cdp_.send("Target.closeTarget", params, "");
    }
    w->callMember("on_destroy", {});
    ml_destroy_window(w->hwnd());
    windows_.erase(w->hwnd());
}

void BrowserHost::showWindow(const std::shared_ptr<HostWindow>& w, bool visible) {
    w->visible = visible;
    if (options_.headless) return;
    if (desktop_ && w->xWindow) {
        if (visible) {
            desktop_->show(w->xWindow);
        } else {
            desktop_->hide(w->xWindow);
        }
    }
    applyBounds(*w);
}

void BrowserHost::setWindowProperty(const std::shared_ptr<HostWindow>& w, WindowProperty id,
                                    const rt::Value& v) {
    bool before = w->flagProperty(id);
    int sizeBefore = w->intProperty(id);
    w->setProperty(id, v);
    bool after = w->flagProperty(id);
    uint32_t notice = 0;
    switch (id) {
        case WindowProperty::Width:
        case WindowProperty::Height:
            // Only a real change is a resize: a window that sets its size again from its own
            // on_size must not hear of it once more.
            if (w->intProperty(id) != sizeBefore) notice = kSizedMessage;
            break;
        case WindowProperty::Minimized:
            if (before != after) notice = after ? kMinimizedMessage : kRestoredMessage;
            if (after) w->setProperty(WindowProperty::Maximized, false);
            break;
        case WindowProperty::Maximized:
            if (before != after) notice = after ? kMaximizedMessage : kRestoredMessage;
            if (after) w->setProperty(WindowProperty::Minimized, false);
            break;
        case WindowProperty::FullScreen:
            if (before != after) notice = kFullScreenMessage;
            break;
        default:
            break;
    }
    applyBounds(*w);
    if (id == WindowProperty::Caption && desktop_ && w->xWindow) {
        desktop_->setDecorated(w->xWindow, w->flagProperty(WindowProperty::Caption));
    }
    if (notice) ml_post(w->hwnd(), notice, 0, 0);
}

void BrowserHost::applyBounds(HostWindow& w) {
    if (!w.browserWindowId || !cdp_.isOpen()) return;
    // Chromium takes a state change and new bounds in separate calls, and bounds only in the
    // normal state. Headless, a window is never minimised in Chromium (the state is the host's
    // alone): there is no screen to leave, and a minimised headless window stops drawing, so its
    // page's animation frames and screenshots would stall.
    // A withdrawn window is the host's to map again: Chromium would show it on a state change.
    if (!options_.headless && w.xWindow && !w.visible) return;
    std::string state = "normal";
    if (w.flagProperty(WindowProperty::FullScreen)) {
        state = "fullscreen";
    } else if (!options_.headless &&
               (w.flagProperty(WindowProperty::Minimized) || (!w.visible && !desktop_))) {
        // Without X, hiding is minimising. With X a hidden window is withdrawn once its X window
        // is known; until then it keeps its normal state, since a window minimised before it was
        // ever shown comes back at the browser's default size instead of its own.
        state = "minimized";
    } else if (w.flagProperty(WindowProperty::Maximized)) {
        state = "maximized";
    }
    Json::Value stateParams(Json::objectValue);
    stateParams["windowId"] = w.browserWindowId;
    stateParams["bounds"]["windowState"] = state;
    cdp_.send("Browser.setWindowBounds", stateParams, "");
    // Chromium skips a minimise while it still believes the window minimised, which it does
    // for a while after a restore it asked the window manager for: the host asks as well.
    if (state == "minimized" && desktop_ && w.xWindow) desktop_->iconify(w.xWindow);
    if (state != "normal") return;
    Json::Value params(Json::objectValue);
    params["windowId"] = w.browserWindowId;
    Json::Value& bounds = params["bounds"];
    bounds["left"] = w.intProperty(WindowProperty::Left);
    bounds["top"] = w.intProperty(WindowProperty::Top);
    bounds["width"] = std::max(1, w.intProperty(WindowProperty::Width));
    bounds["height"] = std::max(1, w.intProperty(WindowProperty::Height));
    cdp_.send("Browser.setWindowBounds", params, "");
}

bool BrowserHost::postTask(ml_hwnd hwnd, const rt::Value& delay) {
    double ms = delay.isNumber() ? delay.toFloat() : 0;
    uint32_t delayMs = ms > 0 ? static_cast<uint32_t>(std::min(ms, 86400000.0)) : 0;
    auto* task = new PostedTask{hwnd, delay};
    if (ml_post_task(runPostedTask, task, delayMs) != ML_OK) {
        delete task;
        return false;
    }
    return true;
}

void BrowserHost::broadcastSystemMessage(uint32_t msg, uintptr_t wparam, intptr_t lparam) {
    for (const auto& w : windows()) {
        if (w->messageHook) ml_post(w->hwnd(), msg, wparam, lparam);
    }
}

intptr_t BrowserHost::windowProc(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam,
                                 void*) {
    return instance().handleMessage(hwnd, msg, wparam, lparam);
}

intptr_t BrowserHost::handleMessage(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam) {
    std::shared_ptr<HostWindow> w = windowByHwnd(hwnd);
    if (!w || w->destroying) return 0;
    auto system = [&](const char* kind, rt::Value a, rt::Value b) -> intptr_t {
        if (!w->messageHook) return 0;
        return w->callMember("onSystemMessage", {rt::Value(kind), a, b}).toBool() ? 1 : 0;
    };
    switch (msg) {
        case kSizedMessage:
            return w->callMember("on_size", {}).toBool();
        case kMaximizedMessage:
            return w->callMember("on_maximize", {}).toBool();
        case kMinimizedMessage:
            return w->callMember("on_minimize", {}).toBool();
        case kRestoredMessage:
            return w->callMember("on_restore", {}).toBool();
        case kFullScreenMessage:
            return w->callMember("on_fullscreen", {}).toBool();
        case kTrayMessage:
            return system("tray", static_cast<int32_t>(wparam), static_cast<int32_t>(lparam));
        case kHotKeyMessage:
            return system("hotkey", static_cast<int32_t>(wparam), static_cast<int32_t>(lparam));
        case kNewAppMessage:
            return system("newapp", rt::Value(), rt::Value());
        case ML_WM_COPYDATA: {
            const auto* block = reinterpret_cast<const ml_copydata*>(lparam);
            std::string text(static_cast<const char*>(block->ptr), block->size);
            return system(text.c_str(), static_cast<int32_t>(block->data), rt::Value());
        }
        case ML_WM_CLOSE:
            closeWindow(w);
            return 0;
        default:
            return ml_default_proc(hwnd, msg, wparam, lparam);
    }
}

// ---- targets and sessions ----

bool BrowserHost::sendToPage(HostWindow& w, const std::string& method, const Json::Value& params,
                             CdpConnection::Reply reply) {
    if (w.sessionId.empty() || w.destroying) return false;
    return cdp_.send(method, params, w.sessionId, std::move(reply));
}

Json::Value BrowserHost::callPage(HostWindow& w, const std::string& method,
                                  const Json::Value& params, std::string* error) {
    if (w.sessionId.empty() || w.destroying) {
        if (error) *error = method + ": window " + std::to_string(w.hwnd()) + " has no page";
        return {};
    }
    return cdp_.call(method, params, w.sessionId, kCallTimeoutMs, error);
}

void BrowserHost::createTarget(const std::shared_ptr<HostWindow>& w) {
    if (!options_.headless) {
        queueAppWindow(w);
        return;
    }
    Json::Value params(Json::objectValue);
    params["url"] = "about:blank";
    params["newWindow"] = true;
    params["width"] = w->intProperty(WindowProperty::Width);
    params["height"] = w->intProperty(WindowProperty::Height);
    w->targetId = "pending";
    std::weak_ptr<HostWindow> weak = w;
    cdp_.send("Target.createTarget", params, "",
              [this, weak](const Json::Value& result, const std::string& error) {
                  std::shared_ptr<HostWindow> w = weak.lock();
                  std::string targetId = optionalText(result, "targetId");
                  if (!w || w->destroying) {
                      if (!targetId.empty()) {
                          Json::Value close(Json::objectValue);
                          close["targetId"] = targetId;
                          cdp_.send("Target.closeTarget", close, "");
                      }
                      return;
                  }
                  if (targetId.empty()) {
                      logFailure("creating the page of window " + std::to_string(w->hwnd()), error);
                      w->targetId.clear();
                      releaseUnclaimed();
                      return;
                  }
                  w->targetId = targetId;
                  auto it = unclaimed_.find(targetId);
                  if (it != unclaimed_.end()) {
                      w->sessionId = it->second;
                      unclaimed_.erase(it);
                      setUpSession(w);
                  }
                  releaseUnclaimed();
              });
}

void BrowserHost::releaseUnclaimed() {
    for (const auto& [hwnd, w] : windows_) {
        if (w->targetId == "pending") return;
    }
    // Pages that turned out to be nobody's window run on as Chromium's own.
    for (const auto& [targetId, sessionId] : unclaimed_) {
        cdp_.send("Runtime.runIfWaitingForDebugger", Json::Value(), sessionId);
    }
    unclaimed_.clear();
}

void BrowserHost::onAttached(const Json::Value& params) {
    std::string sessionId = textField(params, "sessionId");
    const Json::Value& info = objectField(params, "targetInfo");
    std::string targetId = textField(info, "targetId");
    bool waiting = optionalBool(params, "waitingForDebugger");
    std::string opener = optionalText(info, "openerId");
    if (std::shared_ptr<HostWindow> w = windowByTarget(targetId)) {
        w->sessionId = sessionId;
        setUpSession(w);
        return;
    }
    if (claimAppWindow(info, sessionId)) return;
    std::shared_ptr<HostWindow> openerWindow = windowByTarget(opener);
    if (openerWindow) {
        Popup popup{openerWindow->hwnd(), targetId, false};
        popups_[sessionId] = popup;
        setUpPopup(sessionId, popup);
        return;
    }
    if (waiting) {
        // Not ours yet: a window whose createTarget has not answered, or a page we leave alone.
        bool pendingWindow = false;
        for (const auto& [hwnd, w] : windows_) pendingWindow |= w->targetId == "pending";
        if (pendingWindow) {
            unclaimed_[targetId] = sessionId;
            return;
        }
        cdp_.send("Runtime.runIfWaitingForDebugger", Json::Value(), sessionId);
    }
}

void BrowserHost::setUpSession(const std::shared_ptr<HostWindow>& w) {
    const std::string& sid = w->sessionId;
    sessions_[sid] = w->hwnd();
    w->frames.clear();
    w->addFrame(w->targetId, "");
    Json::Value none(Json::objectValue);
    cdp_.send("Page.enable", none, sid);
    cdp_.send("Runtime.enable", none, sid);
    Json::Value fetch(Json::objectValue);
    fetch["patterns"] = fetchPatterns();
    cdp_.send("Fetch.enable", fetch, sid);
    Json::Value binding(Json::objectValue);
    binding["name"] = kBindingName;
    cdp_.send("Runtime.addBinding", binding, sid);
    Json::Value script(Json::objectValue);
    script["source"] = pageBridgeScript();
    cdp_.send("Page.addScriptToEvaluateOnNewDocument", script, sid);
    std::weak_ptr<HostWindow> weak = w;
    Json::Value forTarget(Json::objectValue);
    forTarget["targetId"] = w->targetId;
    cdp_.send("Browser.getWindowForTarget", forTarget, "",
              [this, weak](const Json::Value& result, const std::string&) {
                  if (auto w = weak.lock()) {
                      w->browserWindowId = optionalInt(result, "windowId");
                      applyBounds(*w);
                  }
              });
    // The window opens blank and is sent to its page once the blank page's renderer answers:
    // a target's first document is not seen by Fetch, and the bridge script and binding above
    // reach the renderer only then.
    cdp_.send("Runtime.runIfWaitingForDebugger", none, sid,
              [this, weak](const Json::Value&, const std::string& error) {
                  std::shared_ptr<HostWindow> w = weak.lock();
                  if (!w || w->destroying) return;
                  logFailure("starting the page of window " + std::to_string(w->hwnd()), error);
                  w->browserReady = true;
                  w->callMember("onBrowserEvent", {rt::Value("onAfterCreated"), rt::Value()});
                  if (w->destroying || w->startUrl.empty()) return;
                  Json::Value nav(Json::objectValue);
                  nav["url"] = w->startUrl;
                  sendToPage(*w, "Page.navigate", nav);
              });
}

void BrowserHost::setUpPopup(const std::string& sessionId, const Popup&) {
    Json::Value fetch(Json::objectValue);
    Json::Value patterns(Json::arrayValue);
    Json::Value documents(Json::objectValue);
    documents["urlPattern"] = "*";
    documents["resourceType"] = "Document";
    patterns.append(documents);
    fetch["patterns"] = patterns;
    cdp_.send("Fetch.enable", fetch, sessionId);
    cdp_.send("Runtime.runIfWaitingForDebugger", Json::Value(), sessionId);
}

void BrowserHost::onPopupRequest(const std::string& sessionId, const Json::Value& params) {
    const std::string requestId = textField(params, "requestId");
    const std::string url = textField(objectField(params, "request"), "url");
    Popup& popup = popups_[sessionId];
    Json::Value answer(Json::objectValue);
    answer["requestId"] = requestId;
    if (popup.decided) {
        cdp_.send("Fetch.continueRequest", answer, sessionId);
        return;
    }
    popup.decided = true;
    std::shared_ptr<HostWindow> opener = windowByHwnd(popup.opener);
    bool allow = opener && !opener->destroying &&
                 opener->raise(BrowserEvent::BeforePopup, rt::Value(url), true).toBool();
    if (allow) {
        // The program lets the browser open it: an ordinary browser window, no longer ours.
        cdp_.send("Fetch.continueRequest", answer, sessionId);
        cdp_.send("Fetch.disable", Json::Value(), sessionId);
        return;
    }
    answer["errorReason"] = "BlockedByClient";
    cdp_.send("Fetch.failRequest", answer, sessionId);
    Json::Value close(Json::objectValue);
    close["targetId"] = popup.targetId;
    cdp_.send("Target.closeTarget", close, "");
}

void BrowserHost::onDetached(const std::string& sessionId) {
    popups_.erase(sessionId);
    std::shared_ptr<HostWindow> w = windowBySession(sessionId);
    if (!w) return;
    // The page went away on its own (window.close(), a crash): the window goes with it.
    w->sessionId.clear();
    sessions_.erase(sessionId);
    w->targetId.clear();
    destroyWindow(w);
}

void BrowserHost::onBrowserClosed() {
    std::fprintf(stderr, "cefhx: the browser has gone away; closing every window\n");
    sessions_.clear();
    for (const auto& w : windows()) {
        w->sessionId.clear();
        w->targetId.clear();
        destroyWindow(w);
    }
    requestQuit();
}

void BrowserHost::onTargetInfoChanged(const Json::Value& info) {
    const std::string targetId = textField(info, "targetId");
    const std::string title = optionalText(info, "title");
    std::shared_ptr<HostWindow> w = windowByTarget(targetId);
    if (!w || !w->browserReady) return;
    if (title.rfind(kTitleTokenPrefix, 0) == 0) return;
    if (desktop_ && w->xWindow && !w->nativeTitle.empty()) {
        desktop_->setTitle(w->xWindow, w->nativeTitle);
    }
    if (title == w->title) return;
    w->title = title;
    w->raise(BrowserEvent::TitleChange, rt::Value(title));
}

// ---- events ----

void BrowserHost::onEvent(const Json::Value& message) {
    const std::string method = textField(message, "method");
    const Json::Value& params = optionalObject(message, "params");
    const std::string sessionId = optionalText(message, "sessionId");
    if (sessionId.empty()) {
        if (method == "Target.attachedToTarget") {
            onAttached(params);
        } else if (method == "Target.detachedFromTarget") {
            onDetached(textField(params, "sessionId"));
        } else if (method == "Target.targetInfoChanged") {
            onTargetInfoChanged(objectField(params, "targetInfo"));
        }
        return;
    }
    if (popups_.count(sessionId)) {
        if (method == "Fetch.requestPaused") onPopupRequest(sessionId, params);
        return;
    }
    std::shared_ptr<HostWindow> w = windowBySession(sessionId);
    if (!w) {
        // A session of no window: nothing may stay paused.
        if (method == "Fetch.requestPaused") {
            Json::Value answer(Json::objectValue);
            answer["requestId"] = textField(params, "requestId");
            cdp_.send("Fetch.continueRequest", answer, sessionId);
        }
        return;
    }
    onPageEvent(w, method, params);
}

void BrowserHost::onPageEvent(const std::shared_ptr<HostWindow>& w, const std::string& method,
                              const Json::Value& params) {
    auto frameRecord = [&](const std::string& frameId) {
        FrameInfo* f = w->frameById(frameId);
        bool isMain = f && f->parentId.empty();
        std::string name = f ? f->name : "";
        std::string url = f ? f->url : "";
        return std::tuple<bool, std::string, std::string>(isMain, name, url);
    };
    if (method == "Fetch.requestPaused") {
        onRequestPaused(*this, w, params);
    } else if (method == "Runtime.bindingCalled") {
        onBindingCalled(*this, w, params);
    } else if (method == "Page.javascriptDialogOpening") {
        onDialog(w, params);
    } else if (method == "Page.frameAttached") {
        const std::string frameId = textField(params, "frameId");
        w->addFrame(frameId, textField(params, "parentFrameId"));
    } else if (method == "Page.frameDetached") {
        const std::string frameId = textField(params, "frameId");
        if (optionalText(params, "reason") != "swap") w->removeFrame(frameId);
    } else if (method == "Page.frameNavigated") {
        const Json::Value& frame = objectField(params, "frame");
        const std::string frameId = textField(frame, "id");
        const std::string parentId = optionalText(frame, "parentId");
        std::string name = optionalText(frame, "name");
        std::string url = textField(frame, "url");
        FrameInfo& f = w->addFrame(frameId, parentId);
        f.name = std::move(name);
        f.url = std::move(url);
        bool isMain = f.parentId.empty();
        rt::Value payload = rt::Record::of({{"x", isMain}, {"y", f.name}, {"_url", f.url}});
        w->raise(BrowserEvent::AddressChange, payload);
        if (isMain && w->isRegistered(BrowserEvent::NavStateChange)) {
            std::weak_ptr<HostWindow> weak = w;
            sendToPage(*w, "Page.getNavigationHistory", Json::Value(),
                       [weak](const Json::Value& r, const std::string&) {
                           auto w = weak.lock();
                           if (!w || w->destroying || r.isNull()) return;
                           int index = optionalInt(r, "currentIndex");
                           int count = static_cast<int>(optionalArraySize(r, "entries"));
                           w->raise(BrowserEvent::NavStateChange,
                                    rt::Record::of({{"x", index > 0}, {"y", index + 1 < count}}));
                       });
        }
    } else if (method == "Page.navigatedWithinDocument") {
        const std::string frameId = textField(params, "frameId");
        const std::string newUrl = textField(params, "url");
        if (FrameInfo* f = w->frameById(frameId)) f->url = newUrl;
        auto [isMain, name, url] = frameRecord(frameId);
        w->raise(BrowserEvent::AddressChange,
                 rt::Record::of({{"x", isMain}, {"y", name}, {"_url", url}}));
    } else if (method == "Page.frameStartedLoading") {
        auto [isMain, name, url] = frameRecord(textField(params, "frameId"));
        w->raise(BrowserEvent::LoadStart, rt::Record::of({{"x", isMain}, {"y", name}}));
    } else if (method == "Page.frameStoppedLoading") {
        auto [isMain, name, url] = frameRecord(textField(params, "frameId"));
        if (isMain && desktop_ && !w->xWindow && url.rfind("data:", 0) != 0) findXWindow(w);
        w->raise(BrowserEvent::LoadEnd, rt::Record::of({{"x", isMain}, {"y", 200}, {"_url", url}}));
    } else if (method == "Runtime.executionContextCreated") {
        const Json::Value& context = objectField(params, "context");
        const Json::Value& aux = optionalObject(context, "auxData");
        if (!optionalBool(aux, "isDefault")) return;
        const std::string frameId = textField(aux, "frameId");
        const int contextId = intField(context, "id");
        FrameInfo* f = w->frameById(frameId);
        if (!f) return;
        f->contextId = contextId;
        auto [isMain, name, url] = frameRecord(frameId);
        w->raise(BrowserEvent::ContextCreated, rt::Record::of({{"x", isMain}, {"y", name}}));
    } else if (method == "Runtime.executionContextDestroyed") {
        int id = intField(params, "executionContextId");
        for (FrameInfo& f : w->frames) {
            if (f.contextId == id) f.contextId = 0;
        }
    } else if (method == "Runtime.executionContextsCleared") {
        for (FrameInfo& f : w->frames) f.contextId = 0;
    } else if (method == "Inspector.targetCrashed") {
        FrameInfo* main = w->mainFrame();
        w->raise(BrowserEvent::LoadError, rt::Record::of({{"x", true},
                                                          {"y", -2},
                                                          {"width", "the page's renderer crashed"},
                                                          {"_url", main ? main->url : ""}}));
    }
}

void BrowserHost::onDialog(const std::shared_ptr<HostWindow>& w, const Json::Value& params) {
    std::string type = textField(params, "type");
    std::string message = optionalText(params, "message");
    std::string url = optionalText(params, "url");
    std::string defaultPrompt = optionalText(params, "defaultPrompt");
    rt::Value payload = rt::Record::of({{"x", true}, {"y", url}, {"_url", message}});
    Json::Value answer(Json::objectValue);
    bool accept = true;
    if (type == "alert") {
        w->raise(BrowserEvent::JSAlert, payload);
    } else if (type == "confirm" && w->isRegistered(BrowserEvent::JSConfirm)) {
        // False: the program has answered the question itself, with no.
        accept = w->raise(BrowserEvent::JSConfirm, payload).toBool();
    } else if (type == "prompt") {
        answer["promptText"] = defaultPrompt;
    }
    answer["accept"] = accept;
    sendToPage(*w, "Page.handleJavaScriptDialog", answer);
}

}  // namespace cefhx
