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
#include "platform/cefhx/window_bounds.h"
#include "platform/cefhx/window_message.h"
#include "platform/cefhx/window_messages.h"
#include "platform/cefhx/window_task.h"
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

void runPostedTask(ml_hwnd hwnd, const rt::Value& delay) {
    std::shared_ptr<HostWindow> w = BrowserHost::instance().windowByHwnd(hwnd);
    if (!w || w->destroying) return;
    w->deliver(kTaskEvent, delay);
}

}  // namespace

BrowserHost::BrowserHost()
    : tracker_(windows_, {[this](const std::shared_ptr<HostWindow>& w) { setUpSession(w); },
                          [this](const Json::Value& info, const std::string& sessionId) {
                              return claimAppWindow(info, sessionId);
                          },
                          [this](const std::shared_ptr<HostWindow>& w) { destroyWindow(w); }}),
      events_({[this](HostWindow& w, const std::string& method, const Json::Value& params,
                      DevToolsTransport::Reply reply) {
                   return sendToPage(w, method, params, std::move(reply));
               },
               [this](const std::shared_ptr<HostWindow>& w, const Json::Value& params) {
                   onRequestPaused(*this, w, params);
               },
               [this](const std::shared_ptr<HostWindow>& w, const Json::Value& params) {
                   onBindingCalled(*this, w, params);
               },
               [this](const std::shared_ptr<HostWindow>& w, const std::string& url) {
                   onMainFrameLoaded(w, url);
               },
               [this](HostWindow& w) { onTitleReported(w); }}) {
    tracker_.setTransport(transport_);
}

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

morvick::Expected<void> BrowserHost::start(const ChromiumOptions& options) {
    if (transport_->isOpen()) return {};
    if (!ensureLoop()) return morvick::fail("the message loop cannot start");
    options_ = options;
    // Chromium first: its start is the longest wait, and the host's own steps run meanwhile.
    if (morvick::Expected<void> started = chromium_.start(options); !started) return started;
    connect(chromium_.commandFd(), chromium_.eventFd());
    if (!options.headless) desktop_ = X11Desktop::open();
    // System metrics describe the screen the windows are on.
    if (desktop_) desktop_->screenSize(&options_.screenWidth, &options_.screenHeight);
    if (desktop_ && ml_watch_fd(desktop_->connectionFd(), POLLIN, 0, &BrowserHost::desktopReadable,
                                this, &desktopWatch_) != ML_OK) {
        desktopWatch_ = 0;
    }
    // One round trip: the browser takes a connection's commands in order, so the interception
    // and the attachment are in place before any window is asked for.
    Json::Value discover(Json::objectValue);
    discover["discover"] = true;
    Json::Value attach(Json::objectValue);
    attach["autoAttach"] = true;
    attach["waitForDebuggerOnStart"] = true;
    attach["flatten"] = true;
    Json::Value filter(Json::arrayValue);
    Json::Value page(Json::objectValue);
    page["type"] = "page";
    filter.append(page);
    attach["filter"] = filter;
    // Browser-wide: a page session's interception never sees the page's first document.
    Json::Value fetch(Json::objectValue);
    fetch["patterns"] = interceptionPatterns(filterPaths_);
    const morvick::Expected<std::vector<Json::Value>> answers =
        transport_->callAll({{"Target.setDiscoverTargets", discover, ""},
                             {"Target.setAutoAttach", attach, ""},
                             {"Fetch.enable", fetch, ""}},
                            kCallTimeoutMs);
    if (!answers) {
        transport_->close();
        chromium_.stop(0);
        closeDesktop();
        return morvick::fail("the browser " + options.binary +
                             " did not start: " + answers.error());
    }
    HostDialogs::attach(*this);
    // Windows made before the browser was there get their pages now.
    for (const auto& w : windows()) {
        if (w->target == TargetState::None) createTarget(w);
    }
    return {};
}

void BrowserHost::connect(int commandFd, int eventFd) {
    connect(cdp_);
    cdp_.open(commandFd, eventFd);
}

void BrowserHost::connect(DevToolsTransport& transport) {
    transport_ = &transport;
    tracker_.setTransport(transport_);
    transport_->setHandlers([this](const Json::Value& m) { onEvent(m); },
                            [this] { onBrowserClosed(); });
}

void BrowserHost::runMain(const rt::Value& ready, const rt::Value& settings) {
    if (quitRequested_) return;
    if (!ensureLoop()) return;
    ml_set_dispatch_hooks([](void*) { morvick_value_scope_open(); },
                          [](void*) { morvick_value_scope_close(); }, nullptr);
    if (morvick::Expected<void> started = start(optionsFrom(settings)); !started) {
        std::fprintf(stderr, "cefhx: %s\n", started.error().c_str());
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
    transport_->close();
    chromium_.stop(5000);
    tracker_.clear();
    appQueue_.clear();
    appLaunching_ = 0;
    closeDesktop();
    instance_.release();
}

void BrowserHost::closeDesktop() {
    if (desktopWatch_) ml_unwatch_fd(desktopWatch_);
    desktopWatch_ = 0;
    desktop_.reset();
}

void BrowserHost::setFilterPaths(std::vector<std::string> paths) {
    filterPaths_ = std::move(paths);
    if (!transport_->isOpen()) return;
    Json::Value params(Json::objectValue);
    params["patterns"] = interceptionPatterns(filterPaths_);
    transport_->send("Fetch.enable", params, "");
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
    if (transport_->isOpen() && !w->destroying) createTarget(w);
    return handle;
}

std::shared_ptr<HostWindow> BrowserHost::window(const rt::Value& handle) const {
    if (!handle.isNumber()) return nullptr;
    return windowByHwnd(static_cast<ml_hwnd>(handle.toInt()));
}

std::shared_ptr<HostWindow> BrowserHost::windowByHwnd(ml_hwnd hwnd) const {
    return tracker_.windowByHwnd(hwnd);
}

std::vector<std::shared_ptr<HostWindow>> BrowserHost::windows() const {
    std::vector<std::shared_ptr<HostWindow>> all;
    for (const auto& [hwnd, w] : windows_) all.push_back(w);
    return all;
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
    if (!w->sessionId.empty()) tracker_.forgetSession(w->sessionId);
    if (w->target == TargetState::Known && transport_->isOpen()) tracker_.closeTarget(w->targetId);
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
    const uint32_t notice = changeWindowProperty(*w, id, v);
    applyBounds(*w);
    if (id == WindowProperty::Caption && desktop_ && w->xWindow) {
        desktop_->setDecorated(w->xWindow, w->flagProperty(WindowProperty::Caption));
    }
    if (notice) ml_post(w->hwnd(), notice, 0, 0);
}

void BrowserHost::applyBounds(HostWindow& w) {
    if (!w.browserWindowId || !transport_->isOpen()) return;
    const BoundsUpdate update = windowBounds(w, options_.headless, desktop_ != nullptr);
    if (!update.state.empty()) w.browserState = update.state;
    if (update.deiconify) desktop_->show(w.xWindow);
    for (const Json::Value& params : update.commands) {
        transport_->send("Browser.setWindowBounds", params, "");
    }
    if (update.iconify) desktop_->iconify(w.xWindow);
}

bool BrowserHost::postTask(ml_hwnd hwnd, const rt::Value& delay) {
    return postWindowTask(hwnd, delay, &runPostedTask);
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
    const WindowMessage m = decodeWindowMessage(msg, wparam, lparam);
    switch (m.kind) {
        case WindowMessage::Kind::Member:
            return w->callMember(m.member, {}).toBool();
        case WindowMessage::Kind::System:
            if (!w->messageHook) return 0;
            return w->callMember("onSystemMessage", {rt::Value(m.systemKind), m.a, m.b}).toBool()
                       ? 1
                       : 0;
        case WindowMessage::Kind::Close:
            closeWindow(w);
            return 0;
        case WindowMessage::Kind::Other:
            break;
    }
    return ml_default_proc(hwnd, msg, wparam, lparam);
}

// ---- targets and sessions ----

bool BrowserHost::sendToPage(HostWindow& w, const std::string& method, const Json::Value& params,
                             DevToolsTransport::Reply reply) {
    if (w.sessionId.empty() || w.destroying) return false;
    return transport_->send(method, params, w.sessionId, std::move(reply));
}

morvick::Expected<Json::Value> BrowserHost::callPage(HostWindow& w, const std::string& method,
                                                     const Json::Value& params) {
    if (w.sessionId.empty() || w.destroying) {
        return morvick::fail(method + ": window " + std::to_string(w.hwnd()) + " has no page");
    }
    return transport_->call(method, params, w.sessionId, kCallTimeoutMs);
}

void BrowserHost::createTarget(const std::shared_ptr<HostWindow>& w) {
    if (!options_.headless) {
        queueAppWindow(w);
        return;
    }
    // On its page: the new target waits for the debugger before its first navigation, so its
    // session is set up (setUpSession) before the document is asked for.
    Json::Value params(Json::objectValue);
    params["url"] = w->startUrl.empty() ? "about:blank" : w->startUrl;
    params["newWindow"] = true;
    params["width"] = w->intProperty(WindowProperty::Width);
    params["height"] = w->intProperty(WindowProperty::Height);
    tracker_.createTarget(w, params);
}

void BrowserHost::setUpSession(const std::shared_ptr<HostWindow>& w) {
    const std::string& sid = w->sessionId;
    tracker_.addSession(*w);
    w->frames.clear();
    w->addFrame(w->targetId, "");
    Json::Value none(Json::objectValue);
    transport_->send("Page.enable", none, sid);
    transport_->send("Runtime.enable", none, sid);
    Json::Value binding(Json::objectValue);
    binding["name"] = kBindingName;
    transport_->send("Runtime.addBinding", binding, sid);
    Json::Value script(Json::objectValue);
    script["source"] = pageBridgeScript();
    transport_->send("Page.addScriptToEvaluateOnNewDocument", script, sid);
    std::weak_ptr<HostWindow> weak = w;
    Json::Value forTarget(Json::objectValue);
    forTarget["targetId"] = w->targetId;
    transport_->send("Browser.getWindowForTarget", forTarget, "",
                     [this, weak](const Json::Value& result, const std::string&) {
                         if (auto w = weak.lock()) {
                             w->browserWindowId = optionalInt(result, "windowId");
                             applyBounds(*w);
                         }
                     });
    // The page has waited for the debugger until now. A session takes its commands in order,
    // so the binding and the bridge script above come before its first document, which the
    // browser-wide interception sees like any other.
    transport_->send("Runtime.runIfWaitingForDebugger", none, sid,
                     [weak](const Json::Value&, const std::string& error) {
                         if (std::shared_ptr<HostWindow> w = weak.lock()) {
                             logFailure("starting the page of window " + std::to_string(w->hwnd()),
                                        error);
                         }
                     });
    // Before any event of the page: none is handled before this turn of the loop ends.
    w->browserReady = true;
    w->deliver(kAfterCreatedEvent, rt::Value());
}

void BrowserHost::onBrowserClosed() {
    std::fprintf(stderr, "cefhx: the browser has gone away; closing every window\n");
    tracker_.clear();
    for (const auto& w : windows()) {
        w->sessionId.clear();
        TargetTracker::abandon(*w);
        destroyWindow(w);
    }
    requestQuit();
}

void BrowserHost::onTitleReported(HostWindow& w) {
    if (desktop_ && w.xWindow && !w.nativeTitle.empty())
        desktop_->setTitle(w.xWindow, w.nativeTitle);
}

void BrowserHost::onMainFrameLoaded(const std::shared_ptr<HostWindow>& w, const std::string& url) {
    if (desktop_ && !w->xWindow && url.rfind("data:", 0) != 0) findXWindow(w);
}

// ---- events ----

void BrowserHost::onEvent(const Json::Value& message) {
    const std::string method = textField(message, "method");
    const Json::Value& params = optionalObject(message, "params");
    const std::string sessionId = optionalText(message, "sessionId");
    if (sessionId.empty()) {
        if (method == "Target.attachedToTarget") {
            tracker_.onAttached(params);
        } else if (method == "Target.detachedFromTarget") {
            tracker_.onDetached(textField(params, "sessionId"));
        } else if (method == "Target.targetInfoChanged") {
            const Json::Value& info = objectField(params, "targetInfo");
            events_.onTargetInfoChanged(tracker_.windowByTarget(textField(info, "targetId")), info);
        } else if (method == "Fetch.requestPaused") {
            // A popup's, a program window's frame's, or (left to Chromium) another page's.
            const std::string frameId = optionalText(params, "frameId");
            if (!tracker_.onPopupRequest(frameId, params)) {
                onRequestPaused(*this, tracker_.windowByFrame(frameId), params);
            }
        }
        return;
    }
    if (tracker_.onPopupMessage(sessionId)) return;
    std::shared_ptr<HostWindow> w = tracker_.windowBySession(sessionId);
    if (!w) {
        // A session of no window: nothing may stay paused.
        if (method == "Fetch.requestPaused") {
            Json::Value answer(Json::objectValue);
            answer["requestId"] = textField(params, "requestId");
            transport_->send("Fetch.continueRequest", answer, sessionId);
        }
        return;
    }
    events_.onPageEvent(w, method, params);
}

}  // namespace cefhx
