#include "platform/cefhx/window_bounds.h"

#include <algorithm>
#include <string>

#include "platform/cefhx/window_messages.h"

namespace cefhx {

uint32_t changeWindowProperty(HostWindow& w, WindowProperty id, const rt::Value& v) {
    bool before = w.flagProperty(id);
    int sizeBefore = w.intProperty(id);
    w.setProperty(id, v);
    bool after = w.flagProperty(id);
    switch (id) {
        case WindowProperty::Width:
        case WindowProperty::Height:
            // Only a real change is a resize: a window that sets its size again from its own
            // on_size must not hear of it once more.
            return w.intProperty(id) != sizeBefore ? kSizedMessage : 0;
        case WindowProperty::Minimized:
            if (before == after) return 0;
            if (after) {
                w.maximizeOnRestore = w.flagProperty(WindowProperty::Maximized);
                w.setProperty(WindowProperty::Maximized, false);
                return kMinimizedMessage;
            }
            // A restore brings back the state the window was minimised from.
            w.setProperty(WindowProperty::Maximized, w.maximizeOnRestore);
            w.maximizeOnRestore = false;
            return kRestoredMessage;
        case WindowProperty::Maximized:
            w.maximizeOnRestore = false;
            if (after) w.setProperty(WindowProperty::Minimized, false);
            if (before == after) return 0;
            return after ? kMaximizedMessage : kRestoredMessage;
        case WindowProperty::FullScreen:
            return before != after ? kFullScreenMessage : 0;
        default:
            return 0;
    }
}

BoundsUpdate windowBounds(const HostWindow& w, bool headless, bool hasDesktop) {
    BoundsUpdate update;
    // Chromium takes a state change and new bounds in separate calls, and bounds only in the
    // normal state. Headless, a window is never minimised in Chromium (the state is the host's
    // alone): there is no screen to leave, and a minimised headless window stops drawing, so its
    // page's animation frames and screenshots would stall.
    // A withdrawn window is the host's to map again: Chromium would show it on a state change.
    if (!headless && w.xWindow && !w.visible) return update;
    std::string state = "normal";
    if (w.flagProperty(WindowProperty::FullScreen)) {
        state = "fullscreen";
    } else if (!headless &&
               (w.flagProperty(WindowProperty::Minimized) || (!w.visible && !hasDesktop))) {
        // Without X, hiding is minimising. With X a hidden window is withdrawn once its X window
        // is known; until then it keeps its normal state, since a window minimised before it was
        // ever shown comes back at the browser's default size instead of its own.
        state = "minimized";
    } else if (w.flagProperty(WindowProperty::Maximized)) {
        state = "maximized";
    }
    const auto addState = [&](const std::string& windowState) {
        Json::Value stateParams(Json::objectValue);
        stateParams["windowId"] = w.browserWindowId;
        stateParams["bounds"]["windowState"] = windowState;
        update.commands.push_back(stateParams);
    };
    update.state = state;
    if (state == "maximized" && w.browserState == "minimized") {
        // Chromium maximises only a window it no longer believes minimised, and restoring it to
        // normal first undoes the window manager's maximised state, with bounds to follow while
        // its own state lags: the window manager maps the window back, still maximised, and
        // Chromium is told once the window is on screen.
        update.deiconify = hasDesktop && w.xWindow;
        if (!update.deiconify) addState("normal");
    }
    addState(state);
    // Chromium skips a minimise while it still believes the window minimised, which it does
    // for a while after a restore it asked the window manager for: the host asks as well.
    update.iconify = state == "minimized" && hasDesktop && w.xWindow;
    if (state != "normal") return update;
    Json::Value params(Json::objectValue);
    params["windowId"] = w.browserWindowId;
    Json::Value& bounds = params["bounds"];
    bounds["left"] = w.intProperty(WindowProperty::Left);
    bounds["top"] = w.intProperty(WindowProperty::Top);
    bounds["width"] = std::max(1, w.intProperty(WindowProperty::Width));
    bounds["height"] = std::max(1, w.intProperty(WindowProperty::Height));
    update.commands.push_back(params);
    return update;
}

}  // namespace cefhx
