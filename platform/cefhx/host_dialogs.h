// Message boxes and popup menus as windows of the host, for the other libraries of the process
// (platform/shared/host_windows.h). Each is a frame-less window on a page generated from the
// caller's escaped texts (dialog_page.*): a box is centred on and modal to the program window the
// player is using, a menu opens at the pointer. The call waits in a nested run of the message
// loop, which goes on dispatching everything else, until the page answers or the window goes.
// Loop thread only.
#pragma once

#include <vector>

#include "platform/cefhx/dialog_page.h"
#include "platform/shared/expected.h"

namespace cefhx {

class BrowserHost;

class HostDialogs {
public:
    // Registers the host's boxes and menus for the process's other libraries, once the host runs
    // on an X display (the host calls this when it starts), and takes them away again.
    static void attach(BrowserHost& host);
    static void detach();
    // Whether the host shows boxes and menus now (attached and not yet detached).
    static bool attached();

    // Both fail, saying why, when the host shows none now or the window could not be made or
    // never got its page (the caller answers without a desktop then).
    // True for OK or yes; false for no, Escape or a closed window.
    static morvick::Expected<bool> showBox(BrowserHost& host, const BoxRequest& box);
    // The chosen item's id; 0 for Escape, a click outside the menu or a closed window.
    static morvick::Expected<int> showMenu(BrowserHost& host,
                                           const std::vector<MenuEntry>& entries);

    // The labels tours name the windows by (the last segment of their page's address).
    static constexpr const char* kBoxLabel = "box.html";
    static constexpr const char* kMenuLabel = "menu.html";
};

}  // namespace cefhx
