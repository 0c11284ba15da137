#pragma once

#include <functional>
#include <map>
#include <string>

#include "platform/syslite/icon_file.h"
#include "platform/syslite/x11_session.h"

namespace syslite {

// Tray icons in the X system tray (the XEmbed tray protocol): each icon is a small window of
// the session that asks the owner of _NET_SYSTEM_TRAY_S<screen> to dock it, now or as soon as
// a tray appears (again). Its window name is the tool tip; its mouse buttons become the mouse
// messages the lobby knows (513/514 left down/up, 515 left double click, 516/517 right, 519/520
// middle).
class X11Tray {
public:
    using Deliver = std::function<void(int number, int mouseMessage)>;

    // `deliver` runs on the session's thread for every mouse message.
    X11Tray(X11Session& session, Deliver deliver);
    ~X11Tray();
    X11Tray(const X11Tray&) = delete;
    X11Tray& operator=(const X11Tray&) = delete;

    // The tray of the session on $DISPLAY, delivering to the icons' owner windows; null
    // without a display.
    static X11Tray* onDisplay();

    void show(int number, const IconImage& icon, const std::string& tooltip);
    void hide(int number);

    static constexpr int kSize = 24;  // the icon window's side until the tray sizes it

private:
    struct Icon {
        int number = 0;
        IconImage image;
        Window window = 0;
        Pixmap background = 0;
        int width = kSize;
        int height = kSize;
        Time lastLeftPress = 0;
    };

    void findTray(Display* d);
    void dock(Display* d, const Icon& icon);
    void paint(Display* d, Icon& icon);
    void onIconEvent(int number, XEvent& e);
    void onRootEvent(XEvent& e);

    X11Session& session_;
    Deliver deliver_;
    Atom selection_, opcode_, manager_, xembedInfo_, wmName_, utf8_;
    Window tray_ = 0;
    std::map<int, Icon> icons_;
};

}  // namespace syslite
