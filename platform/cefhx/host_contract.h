// What the program's binding (lobby/bindings/cef) and a browser host agree on: the window
// property ids of window_set_prop and window_get_prop, the window flags given at creation, the
// browser events with their ids for browser_seteventhandle and the names they are raised under,
// and the fields of the records that pass between the two. Both sides include this one header.
#pragma once

#include <cstdint>
#include <string_view>

namespace cefhx {

// Property ids of window_set_prop and window_get_prop.
enum class WindowProperty : int32_t {
    Resizable = 0,
    MaximizeIcon = 1,
    MinimizeIcon = 2,
    Width = 3,
    Height = 4,
    Left = 5,
    Top = 6,
    FullScreen = 7,
    Transparent = 8,
    DropTarget = 9,
    Plain = 10,
    Minimized = 11,
    Maximized = 12,
    Caption = 13,
    Enabled = 14,
};
inline constexpr int kWindowPropertyCount = 15;

// Window flags given at creation, combined by OR, by the names the program knows them by:
// X(name, value) for each.
// clang-format off
#define CEFHX_WINDOW_FLAGS(X) \
    X(WF_FULLSCREEN, 1) \
    X(WF_TRANSPARENT, 2) \
    X(WF_PLAIN, 4) \
    X(WF_ALWAYS_ONTOP, 8) \
    X(WF_NO_TASKBAR, 16) \
    X(WF_DROPTARGET, 32) \
    X(WF_BROWSER_RENDERING, 64) \
    X(WF_BROWSER_CHILD, 128) \
    X(WF_BROWSER_POPUP, 256) \
    X(WF_NO_CAPTION, 512)
// clang-format on

struct WindowFlagName {
    std::string_view name;
    int32_t value;
};
#define CEFHX_WINDOW_FLAG_NAME(name, value) {#name, value},
inline constexpr WindowFlagName kWindowFlags[] = {CEFHX_WINDOW_FLAGS(CEFHX_WINDOW_FLAG_NAME)};
#undef CEFHX_WINDOW_FLAG_NAME

// The value of the flag the program names `name`; 0 for a name that is none.
constexpr int32_t windowFlag(std::string_view name) {
    for (const WindowFlagName& f : kWindowFlags) {
        if (f.name == name) return f.value;
    }
    return 0;
}

// The flags the host acts on.
inline constexpr int32_t kFlagFullScreen = windowFlag("WF_FULLSCREEN");
inline constexpr int32_t kFlagTransparent = windowFlag("WF_TRANSPARENT");
inline constexpr int32_t kFlagPlain = windowFlag("WF_PLAIN");
inline constexpr int32_t kFlagNoCaption = windowFlag("WF_NO_CAPTION");

// The page events a browser reports to its window when the program has registered them; the
// number is the id of browser_seteventhandle.
enum class BrowserEvent : int32_t {
    BeforeClose = 1,
    LoadStart = 2,
    LoadEnd = 3,
    LoadError = 4,
    NavStateChange = 5,
    ContextCreated = 6,
    BeforePopup = 7,
    BeforeResourceLoad = 8,
    AddressChange = 9,
    TitleChange = 10,
    BeforeBrowse = 11,
    ContentsSizeChange = 12,
    BeforeMenu = 13,
    JSAlert = 14,
    JSConfirm = 15,
};
inline constexpr int kBrowserEventCount = 16;

// The name under which the window object receives each event ("onLoadEnd"), by id.
inline constexpr std::string_view kBrowserEventNames[kBrowserEventCount] = {
    "",
    "onBeforeClose",
    "onLoadStart",
    "onLoadEnd",
    "onLoadError",
    "onNavStateChange",
    "onContextCreated",
    "onBeforePopup",
    "onBeforeResourceLoad",
    "onAddressChange",
    "onTitleChange",
    "onBeforeBrowse",
    "onContentsSizeChange",
    "onBeforeMenu",
    "onJSAlert",
    "onJSConfirm",
};

constexpr std::string_view browserEventName(BrowserEvent event) {
    const auto id = static_cast<int>(event);
    return id > 0 && id < kBrowserEventCount ? kBrowserEventNames[id] : std::string_view();
}

// Events the host raises that the program cannot register: always delivered.
inline constexpr std::string_view kAfterCreatedEvent = "onAfterCreated";
inline constexpr std::string_view kTaskEvent = "on_task";

// Fields of the records between the two sides: an event's payload (which fields each event
// fills is in docs/cefhx.md), a frame description (_url the frame's number, x 1 for the main
// frame, y its name), a size (width, height), and a resource answer (x the data, y the end flag,
// _url a redirect, width the type, height the length, minSize the status, linkUrl the address
// asked for).
namespace field {
inline constexpr const char* kX = "x";
inline constexpr const char* kY = "y";
inline constexpr const char* kUrl = "_url";
inline constexpr const char* kWidth = "width";
inline constexpr const char* kHeight = "height";
inline constexpr const char* kMinSize = "minSize";
inline constexpr const char* kLinkUrl = "linkUrl";
}  // namespace field

}  // namespace cefhx
