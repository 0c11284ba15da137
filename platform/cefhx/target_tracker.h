// Which DevTools target and session belong to which program window: pages attached before the
// window learnt its target id (taken at once by their address when one window asked for it),
// application windows claimed when they attach, popups the program's pages open, and pages that
// detach on their own.
#pragma once

#include <json/json.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/cefhx/devtools_transport.h"
#include "platform/cefhx/host_window.h"

namespace cefhx {

using WindowMap = std::map<ml_hwnd, std::shared_ptr<HostWindow>>;

class TargetTracker {
public:
    struct Hooks {
        // Sets up the page session of a window whose target and session are both known.
        std::function<void(const std::shared_ptr<HostWindow>&)> setUpSession;
        // Takes an attached page without an opener for an application window being opened;
        // false when none is being opened.
        std::function<bool(const Json::Value& targetInfo, const std::string& sessionId)>
            claimAppWindow;
        // A window's page went away on its own (window.close(), a crash).
        std::function<void(const std::shared_ptr<HostWindow>&)> pageGone;
    };

    TargetTracker(const WindowMap& windows, Hooks hooks);
    void setTransport(DevToolsTransport* transport) { transport_ = transport; }

    // Asks Chromium for a new window with its page (Target.createTarget with params).
    void createTarget(const std::shared_ptr<HostWindow>& w, const Json::Value& params);
    // The window's target was asked for elsewhere (an application window).
    static void markRequested(HostWindow& w) { w.target = TargetState::Requested; }
    // Asking failed or came to nothing: the window has no target.
    static void abandon(HostWindow& w);
    // The window's target and session are known: its session is set up.
    void claim(const std::shared_ptr<HostWindow>& w, const std::string& targetId,
               const std::string& sessionId);
    // Records the window's session so that its messages find it.
    void addSession(const HostWindow& w) { sessions_[w.sessionId] = w.hwnd(); }
    void forgetSession(const std::string& sessionId) { sessions_.erase(sessionId); }

    // Browser-level messages: Target.attachedToTarget and Target.detachedFromTarget.
    void onAttached(const Json::Value& params);
    void onDetached(const std::string& sessionId);
    // A message on a popup's session (nothing there is the program's); false when the session
    // is no popup's.
    bool onPopupMessage(const std::string& sessionId) const { return popups_.count(sessionId); }
    // A request the browser-wide interception paused for a popup's page: its first document
    // asks the opener ("onBeforePopup"), the rest goes on. False when frameId is no popup's.
    bool onPopupRequest(const std::string& frameId, const Json::Value& params);
    // Resumes the attached pages no window claimed, once no window waits for its target.
    void releaseUnclaimed();

    std::shared_ptr<HostWindow> windowBySession(const std::string& sessionId) const;
    std::shared_ptr<HostWindow> windowByTarget(const std::string& targetId) const;
    // The window with a frame of this id (its main frame's id is its target's).
    std::shared_ptr<HostWindow> windowByFrame(const std::string& frameId) const;
    std::shared_ptr<HostWindow> windowByHwnd(ml_hwnd hwnd) const;
    // Forgets every session, unclaimed page and popup (the browser is gone).
    void clear();

    void closeTarget(const std::string& targetId);

private:
    struct Popup {
        ml_hwnd opener = 0;
        std::string targetId;
        bool decided = false;
    };

    bool anyWindowWaiting() const;
    // Takes an attached page for the one window whose createTarget asked for its address and
    // has not been answered: the page's session is set up at once instead of after the answer.
    // False when no such window, or more than one, asked for that address.
    bool claimByAddress(const Json::Value& targetInfo, const std::string& sessionId);

    const WindowMap& windows_;
    Hooks hooks_;
    DevToolsTransport* transport_ = nullptr;
    std::map<std::string, ml_hwnd> sessions_;
    // Pages attached before createTarget answered with their id: target id to session id.
    std::map<std::string, std::string> unclaimed_;
    // Windows whose createTarget has not been answered, with the address each asked for.
    std::map<ml_hwnd, std::string> creating_;
    std::map<std::string, Popup> popups_;
};

}  // namespace cefhx
