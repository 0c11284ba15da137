#include "platform/cefhx/target_tracker.h"

#include <algorithm>
#include <cstdio>

#include "platform/cefhx/json_fields.h"
#include "platform/cefhx/request_interceptor.h"

namespace cefhx {

TargetTracker::TargetTracker(const WindowMap& windows, Hooks hooks)
    : windows_(windows), hooks_(std::move(hooks)) {}

void TargetTracker::closeTarget(const std::string& targetId) {
    Json::Value params(Json::objectValue);
    params["targetId"] = targetId;
    transport_->send("Target.closeTarget", params, "");
}

void TargetTracker::abandon(HostWindow& w) {
    w.target = TargetState::None;
    w.targetId.clear();
}

void TargetTracker::claim(const std::shared_ptr<HostWindow>& w, const std::string& targetId,
                          const std::string& sessionId) {
    w->target = TargetState::Known;
    w->targetId = targetId;
    w->sessionId = sessionId;
    hooks_.setUpSession(w);
}

void TargetTracker::createTarget(const std::shared_ptr<HostWindow>& w, const Json::Value& params) {
    markRequested(*w);
    creating_[w->hwnd()] = optionalText(params, "url");
    std::weak_ptr<HostWindow> weak = w;
    transport_->send(
        "Target.createTarget", params, "",
        [this, weak, hwnd = w->hwnd()](const Json::Value& result, const std::string& error) {
            creating_.erase(hwnd);
            std::shared_ptr<HostWindow> w = weak.lock();
            std::string targetId = optionalText(result, "targetId");
            if (!w || w->destroying) {
                // A window that took its page when it attached has closed it.
                if (!targetId.empty() && !(w && w->targetId == targetId)) {
                    closeTarget(targetId);
                }
                return;
            }
            if (w->target == TargetState::Known && w->targetId == targetId) {
                // Taken by its address when it attached (claimByAddress).
                releaseUnclaimed();
                return;
            }
            if (targetId.empty()) {
                if (!error.empty()) {
                    std::fprintf(stderr, "cefhx: creating the page of window %u: %s\n", w->hwnd(),
                                 error.c_str());
                }
                abandon(*w);
                releaseUnclaimed();
                return;
            }
            w->target = TargetState::Known;
            w->targetId = targetId;
            auto it = unclaimed_.find(targetId);
            if (it != unclaimed_.end()) {
                w->sessionId = it->second;
                unclaimed_.erase(it);
                hooks_.setUpSession(w);
            }
            releaseUnclaimed();
        });
}

bool TargetTracker::anyWindowWaiting() const {
    for (const auto& [hwnd, w] : windows_) {
        if (w->target == TargetState::Requested) return true;
    }
    return false;
}

void TargetTracker::releaseUnclaimed() {
    if (anyWindowWaiting()) return;
    // Pages that turned out to be nobody's window run on as Chromium's own.
    for (const auto& [targetId, sessionId] : unclaimed_) {
        transport_->send("Runtime.runIfWaitingForDebugger", Json::Value(), sessionId);
    }
    unclaimed_.clear();
}

void TargetTracker::onAttached(const Json::Value& params) {
    std::string sessionId = textField(params, "sessionId");
    const Json::Value& info = objectField(params, "targetInfo");
    std::string targetId = textField(info, "targetId");
    bool waiting = optionalBool(params, "waitingForDebugger");
    std::string opener = optionalText(info, "openerId");
    if (std::shared_ptr<HostWindow> w = windowByTarget(targetId)) {
        w->sessionId = sessionId;
        hooks_.setUpSession(w);
        return;
    }
    if (hooks_.claimAppWindow(info, sessionId)) return;
    if (std::shared_ptr<HostWindow> openerWindow = windowByTarget(opener)) {
        popups_[sessionId] = Popup{openerWindow->hwnd(), targetId, false};
        // Its first document is paused by the browser-wide interception (onPopupRequest).
        transport_->send("Runtime.runIfWaitingForDebugger", Json::Value(), sessionId);
        return;
    }
    if (waiting && claimByAddress(info, sessionId)) return;
    if (waiting) {
        // Not ours yet: a window whose createTarget has not answered, or a page we leave alone.
        if (anyWindowWaiting()) {
            unclaimed_[targetId] = sessionId;
            return;
        }
        transport_->send("Runtime.runIfWaitingForDebugger", Json::Value(), sessionId);
    }
}

bool TargetTracker::claimByAddress(const Json::Value& targetInfo, const std::string& sessionId) {
    // Every page without an opener comes from a createTarget of the host (headless, there is no
    // other way to open one), so a page on an address that one waiting window asked for, and no
    // other, is that window's.
    const std::string url = optionalText(targetInfo, "url");
    if (url.empty()) return false;
    std::shared_ptr<HostWindow> owner;
    for (const auto& [hwnd, asked] : creating_) {
        if (asked != url) continue;
        if (owner) return false;
        owner = windowByHwnd(hwnd);
        if (!owner) return false;
    }
    if (!owner || owner->destroying || owner->target != TargetState::Requested) return false;
    creating_.erase(owner->hwnd());
    claim(owner, textField(targetInfo, "targetId"), sessionId);
    return true;
}

bool TargetTracker::onPopupRequest(const std::string& frameId, const Json::Value& params) {
    auto it = std::find_if(popups_.begin(), popups_.end(), [&](const auto& entry) {
        return !frameId.empty() && entry.second.targetId == frameId;
    });
    if (it == popups_.end()) return false;
    Popup& popup = it->second;
    const Json::Value requestId = textField(params, "requestId");
    const std::string url = textField(objectField(params, "request"), "url");
    if (popup.decided) {
        continueRequest(*transport_, requestId);
        return true;
    }
    popup.decided = true;
    std::shared_ptr<HostWindow> opener = windowByHwnd(popup.opener);
    bool allow = opener && !opener->destroying &&
                 opener->raise(BrowserEvent::BeforePopup, rt::Value(url), true).toBool();
    if (allow) {
        // The program lets the browser open it: an ordinary browser window, no longer ours.
        continueRequest(*transport_, requestId);
        return true;
    }
    refuseRequest(*transport_, requestId);
    closeTarget(popup.targetId);
    return true;
}

void TargetTracker::onDetached(const std::string& sessionId) {
    popups_.erase(sessionId);
    std::shared_ptr<HostWindow> w = windowBySession(sessionId);
    if (!w) return;
    w->sessionId.clear();
    sessions_.erase(sessionId);
    abandon(*w);
    hooks_.pageGone(w);
}

std::shared_ptr<HostWindow> TargetTracker::windowByHwnd(ml_hwnd hwnd) const {
    auto it = windows_.find(hwnd);
    return it == windows_.end() ? nullptr : it->second;
}

std::shared_ptr<HostWindow> TargetTracker::windowBySession(const std::string& sessionId) const {
    auto it = sessions_.find(sessionId);
    return it == sessions_.end() ? nullptr : windowByHwnd(it->second);
}

std::shared_ptr<HostWindow> TargetTracker::windowByFrame(const std::string& frameId) const {
    for (const auto& [hwnd, w] : windows_) {
        if (frameId.empty() || w->target != TargetState::Known) continue;
        if (w->targetId == frameId || w->frameById(frameId)) return w;
    }
    return nullptr;
}

std::shared_ptr<HostWindow> TargetTracker::windowByTarget(const std::string& targetId) const {
    for (const auto& [hwnd, w] : windows_) {
        if (!targetId.empty() && w->target == TargetState::Known && w->targetId == targetId) {
            return w;
        }
    }
    return nullptr;
}

void TargetTracker::clear() {
    sessions_.clear();
    unclaimed_.clear();
    creating_.clear();
    popups_.clear();
}

}  // namespace cefhx
