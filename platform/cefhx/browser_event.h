// The page events a browser reports to its window when the program has registered them.
#pragma once

#include <string_view>

namespace cefhx {

enum class BrowserEvent : int {
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

// The name under which the window object receives the event ("onLoadEnd").
std::string_view browserEventName(BrowserEvent event);

}  // namespace cefhx
