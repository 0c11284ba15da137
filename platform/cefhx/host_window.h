// The host's side of one program window: its message-loop window, the program's window and
// browser objects, the window state the properties read, and its Chromium target.
#pragma once

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cefhx/host_contract.h"
#include "platform/cefhx/x11_desktop.h"
#include "platform/msgloop/msgloop.h"
#include "runtime/value.h"

namespace cefhx {

// Where a window's page target stands: none asked for, asked for and not yet named (a
// createTarget without its answer, or an application window a second copy of Chromium is
// opening), or known by its target id.
enum class TargetState { None, Requested, Known };

struct FrameInfo {
    std::string frameId;  // Chromium's
    int id = 0;           // the number the program knows the frame by
    std::string parentId;
    std::string name;
    std::string url;
    int contextId = 0;  // the frame's default script context, 0 while it has none
};

class HostWindow {
public:
    HostWindow(ml_hwnd hwnd, rt::Value object, rt::Value browser, int width, int height, int flags);

    ml_hwnd hwnd() const { return hwnd_; }
    const rt::Value& object() const { return object_; }
    const rt::Value& browser() const { return browser_; }
    int flags() const { return flags_; }

    // Calls a member of the window object by name on the loop thread. A failure is written to
    // standard error and answers null: nothing the program throws crosses into the loop.
    rt::Value callMember(std::string_view name, std::initializer_list<rt::Value> args) const;
    // Raises a browser event through onBrowserEvent; events the program has not registered are
    // not raised and answer `unregistered`.
    rt::Value raise(BrowserEvent event, const rt::Value& payload,
                    const rt::Value& unregistered = {}) const;
    // Delivers an event the program cannot register (kAfterCreatedEvent, kTaskEvent).
    rt::Value deliver(std::string_view event, const rt::Value& payload) const;
    void setEventRegistered(int id, bool on);
    bool isRegistered(BrowserEvent event) const;

    // Properties as the program reads them back.
    rt::Value property(WindowProperty id) const;
    void setProperty(WindowProperty id, const rt::Value& v);
    int intProperty(WindowProperty id) const { return property(id).toInt(); }
    bool flagProperty(WindowProperty id) const { return property(id).toBool(); }

    bool visible = false;
    bool messageHook = false;
    bool destroying = false;
    // onAfterCreated has been raised: the page side exists.
    bool browserReady = false;
    // The page's title as last reported, and the title the program set.
    std::string title;
    std::string nativeTitle;
    double zoomLevel = 0;
    std::string startUrl;
    TargetState target = TargetState::None;
    // Chromium's target id; empty unless target is Known.
    std::string targetId;
    std::string sessionId;
    int browserWindowId = 0;
    // A minimised window that was maximised comes back maximised when restored.
    bool maximizeOnRestore = false;
    // The state Chromium's window was last sent ("normal", "minimized", ...; empty before any).
    std::string browserState;
    // With a display: Chromium's X window for this window once found (0 until then), whether
    // the search runs, and the rounded region window_setround asked for (left, top, right,
    // bottom, corner width, corner height; empty for none).
    XWindowId xWindow = 0;
    // The window this one is a modal dialog of (window_set_owner), 0 for none.
    ml_hwnd owner = 0;
    bool findingXWindow = false;
    int findXWindowAttempts = 0;
    std::vector<int> round;
    // The record window_onresloaded handed over during the current resource event.
    rt::Value resourceAnswer;

    // Frames, the main frame first once it is known.
    std::vector<FrameInfo> frames;
    FrameInfo* frameById(std::string_view frameId);
    FrameInfo* frameByNumber(int id);
    FrameInfo* mainFrame();
    FrameInfo* frameByName(std::string_view name);
    // The frame the program names by main flag and name: the main frame, or the first of that
    // name.
    FrameInfo* frameFor(bool isMain, std::string_view name);
    FrameInfo& addFrame(const std::string& frameId, const std::string& parentId);
    void removeFrame(std::string_view frameId);

private:
    ml_hwnd hwnd_;
    rt::Value object_;
    rt::Value browser_;
    int flags_;
    std::array<rt::Value, kWindowPropertyCount> properties_;
    std::array<bool, kBrowserEventCount> registered_{};
    int nextFrameNumber_ = 1;
};

}  // namespace cefhx
