// The browser host's windows on a display: application windows opened through a second copy of
// Chromium, and what the host does to their X windows itself.
#include <cstdint>
#include <cstdio>
#include <exception>

#include "platform/cefhx/browser_host.h"
#include "platform/cefhx/json_fields.h"
#include "platform/cefhx/window_messages.h"

namespace cefhx {
namespace {

// The page of an application window without an address: empty, and one the browser takes for an
// application (it opens an ordinary tabbed window for about:blank).
constexpr const char* kBlankAppPage = "data:text/html,";

}  // namespace

void BrowserHost::queueAppWindow(const std::shared_ptr<HostWindow>& w) {
    TargetTracker::markRequested(*w);
    appQueue_.push_back(w->hwnd());
    if (!appLaunching_) launchNextAppWindow();
}

void BrowserHost::launchNextAppWindow() {
    while (!appLaunching_ && !appQueue_.empty()) {
        std::shared_ptr<HostWindow> w = windowByHwnd(appQueue_.front());
        appQueue_.pop_front();
        if (!w || w->destroying) continue;
        // On its page, as a headless window is (createTarget): it waits for the debugger.
        const std::string& url = w->startUrl.empty() ? std::string(kBlankAppPage) : w->startUrl;
        if (morvick::Expected<void> opened = chromium_.openAppWindow(options_, url); !opened) {
            std::fprintf(stderr, "cefhx: creating the window %u: %s\n", w->hwnd(),
                         opened.error().c_str());
            TargetTracker::abandon(*w);
            continue;
        }
        appLaunching_ = w->hwnd();
        const uint64_t launch = ++appLaunchNumber_;
        auto* timeout = new uint64_t(launch);
        if (ml_post_task(&BrowserHost::appWindowLaunchTimedOut, timeout, kAppWindowTimeoutMs) !=
            ML_OK) {
            delete timeout;
        }
    }
    tracker_.releaseUnclaimed();
}

void BrowserHost::appWindowLaunchTimedOut(void* arg) {
    std::unique_ptr<uint64_t> launch(static_cast<uint64_t*>(arg));
    instance().onAppWindowLaunchTimeout(*launch);
}

void BrowserHost::onAppWindowLaunchTimeout(uint64_t launch) {
    if (launch != appLaunchNumber_ || !appLaunching_) return;
    if (std::shared_ptr<HostWindow> w = windowByHwnd(appLaunching_)) {
        std::fprintf(stderr, "cefhx: creating the window %u: the browser opened none\n", w->hwnd());
        TargetTracker::abandon(*w);
    }
    appLaunching_ = 0;
    launchNextAppWindow();
}

bool BrowserHost::claimAppWindow(const Json::Value& info, const std::string& sessionId) {
    // A page a program page opened names its opener; only the window asked for has none.
    if (options_.headless || !appLaunching_ || !optionalText(info, "openerId").empty()) {
        return false;
    }
    std::shared_ptr<HostWindow> w = windowByHwnd(appLaunching_);
    appLaunching_ = 0;
    const std::string targetId = textField(info, "targetId");
    if (!w || w->destroying) {
        tracker_.closeTarget(targetId);
    } else {
        tracker_.claim(w, targetId, sessionId);
    }
    launchNextAppWindow();
    return true;
}

void BrowserHost::findXWindow(const std::shared_ptr<HostWindow>& w) {
    if (w->findingXWindow || !desktop_) return;
    w->findingXWindow = true;
    // Chromium shows a page's title as its window's title: a title no other window has, for
    // as long as the search takes, names the X window; the page's own title comes back after.
    const std::string token = std::string(kTitleTokenPrefix) + std::to_string(browserPid()) + "-" +
                              std::to_string(w->hwnd());
    Json::Value eval(Json::objectValue);
    // Only a loaded start page: the page's own title would replace the temporary one.
    eval["expression"] =
        "(() => { if (document.readyState !== 'complete' || "
        "location.protocol === 'data:') return null; "
        "const t = document.title; document.title = " +
        Json::valueToQuotedString(token.c_str()) + "; return t; })()";
    eval["returnByValue"] = true;
    std::weak_ptr<HostWindow> weak = w;
    sendToPage(*w, "Runtime.evaluate", eval,
               [this, weak, token](const Json::Value& result, const std::string& error) {
                   std::shared_ptr<HostWindow> w = weak.lock();
                   if (!w || w->destroying || !desktop_) return;
                   const Json::Value& value = anyField(anyField(result, "result"), "value");
                   if (error.empty() && value.isNull()) {
                       // Not loaded yet: the page's load end asks again, and so does a later
                       // look, since that end may have come before the document was complete.
                       w->findingXWindow = false;
                       if (++w->findXWindowAttempts < kFindWindowAttempts) {
                           findXWindowLater(w->hwnd());
                       }
                       return;
                   }
                   if (!error.empty() || !value.isString()) {
                       std::fprintf(stderr, "cefhx: window %u: its page cannot be named: %s\n",
                                    w->hwnd(), error.c_str());
                       w->findingXWindow = false;
                       return;
                   }
                   w->xWindow = desktop_->findByTitle(token, browserPid(), kFindWindowTimeoutMs);
                   w->findingXWindow = false;
                   Json::Value restore(Json::objectValue);
                   restore["expression"] =
                       "document.title = " + Json::valueToQuotedString(value.asCString()) + ";";
                   sendToPage(*w, "Runtime.evaluate", restore);
                   if (!w->xWindow) {
                       std::fprintf(stderr, "cefhx: window %u: no X window showed its title\n",
                                    w->hwnd());
                       if (++w->findXWindowAttempts < kFindWindowAttempts) {
                           findXWindowLater(w->hwnd());
                       }
                       return;
                   }
                   applyDesktopState(*w);
               });
}

void BrowserHost::findXWindowLater(ml_hwnd hwnd) {
    ml_post_task(
        [](void* arg) {
            BrowserHost& host = instance();
            const auto hwnd = static_cast<ml_hwnd>(reinterpret_cast<uintptr_t>(arg));
            std::shared_ptr<HostWindow> w = host.windowByHwnd(hwnd);
            if (w && !w->destroying && !w->xWindow) host.findXWindow(w);
        },
        reinterpret_cast<void*>(static_cast<uintptr_t>(hwnd)), kFindWindowRetryMs);
}

void BrowserHost::applyDesktopState(HostWindow& w) {
    if (!desktop_ || !w.xWindow) return;
    applyOwner(w);
    // Dialogs found before their owner get it now.
    for (const auto& [hwnd, other] : windows_) {
        if (other->owner == w.hwnd()) applyOwner(*other);
    }
    desktop_->setDecorated(w.xWindow, w.flagProperty(WindowProperty::Caption));
    if (!w.nativeTitle.empty()) desktop_->setTitle(w.xWindow, w.nativeTitle);
    applyShape(w);
    if (w.visible) {
        desktop_->show(w.xWindow);
    } else {
        desktop_->hide(w.xWindow);
    }
    applyBounds(w);
}

void BrowserHost::applyShape(HostWindow& w) {
    if (!desktop_ || !w.xWindow) return;
    if (w.round.size() != 6) {
        desktop_->setShape(w.xWindow, {});
        return;
    }
    const XRect area = desktop_->geometry(w.xWindow);
    const std::vector<XRect> wanted = roundedShape(w.round[0], w.round[1], w.round[2], w.round[3],
                                                   w.round[4], w.round[5], area.width, area.height);
    desktop_->watchShape(w.xWindow);
    if (desktop_->shape(w.xWindow) != wanted) desktop_->setShape(w.xWindow, wanted);
    checkDesktopSoon();
}

void BrowserHost::desktopReadable(int, unsigned, void* arg) {
    static_cast<BrowserHost*>(arg)->onDesktopEvents();
}

void BrowserHost::checkDesktopSoon() {
    if (desktopCheckPosted_) return;
    desktopCheckPosted_ = true;
    ml_post_task(
        [](void*) {
            BrowserHost& host = instance();
            host.desktopCheckPosted_ = false;
            host.onDesktopEvents();
        },
        nullptr, 0);
}

void BrowserHost::onDesktopEvents() {
    if (!desktop_) return;
    for (XWindowId changed : desktop_->shapeChanges()) {
        for (const auto& [hwnd, w] : windows_) {
            if (w->xWindow == changed && !w->destroying && w->round.size() == 6) applyShape(*w);
        }
    }
}

void BrowserHost::applyOwner(HostWindow& w) {
    std::shared_ptr<HostWindow> owner = windowByHwnd(w.owner);
    if (!desktop_ || !w.xWindow || !owner || !owner->xWindow) return;
    desktop_->setOwner(w.xWindow, owner->xWindow);
}

void BrowserHost::setWindowOwner(const std::shared_ptr<HostWindow>& w, ml_hwnd owner) {
    w->owner = owner;
    applyOwner(*w);
}

void BrowserHost::setNativeTitle(const std::shared_ptr<HostWindow>& w, const std::string& title) {
    w->nativeTitle = title;
    if (desktop_ && w->xWindow) desktop_->setTitle(w->xWindow, title);
}

void BrowserHost::setWindowRound(const std::shared_ptr<HostWindow>& w, int left, int top, int right,
                                 int bottom, int cornerWidth, int cornerHeight) {
    w->round = {left, top, right, bottom, cornerWidth, cornerHeight};
    applyShape(*w);
}

void BrowserHost::dragWindow(const std::shared_ptr<HostWindow>& w, MoveResize what) {
    if (!desktop_ || !w->xWindow) return;
    if (drag_) drag_->stop();
    const ml_hwnd hwnd = w->hwnd();
    drag_ = PointerDrag::start(*desktop_, w->xWindow, what, [this, hwnd](const XRect& last) {
        std::shared_ptr<HostWindow> w = windowByHwnd(hwnd);
        if (!w || w->destroying) return;
        const bool sized = last.width != w->intProperty(WindowProperty::Width) ||
                           last.height != w->intProperty(WindowProperty::Height);
        w->setProperty(WindowProperty::Left, last.x);
        w->setProperty(WindowProperty::Top, last.y);
        w->setProperty(WindowProperty::Width, last.width);
        w->setProperty(WindowProperty::Height, last.height);
        if (sized) ml_post(hwnd, kSizedMessage, 0, 0);
    });
}

}  // namespace cefhx
