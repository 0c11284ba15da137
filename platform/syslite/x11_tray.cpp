#include "platform/syslite/x11_tray.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/shared/platform_log.h"
#include "platform/shared/system_messages.h"
#include "platform/shared/x11_error_trap.h"
#include "platform/syslite/tray_icons.h"

namespace syslite {
namespace {

constexpr long kRequestDock = 0;
constexpr long kXEmbedMapped = 1;
// Two left presses closer than this are a double click.
constexpr Time kDoubleClickMs = 400;

// The colour a transparent pixel shows: trays draw their icons on their own background, which
// the icon window cannot see.
constexpr uint32_t kBackdrop = 0x303030;

int shiftOf(unsigned long mask) {
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

}  // namespace

X11Tray::X11Tray(X11Session& session, Deliver deliver)
    : session_(session), deliver_(std::move(deliver)) {
    session_.call([&](Display* d) {
        std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(d));
        selection_ = XInternAtom(d, name.c_str(), False);
        opcode_ = XInternAtom(d, "_NET_SYSTEM_TRAY_OPCODE", False);
        manager_ = XInternAtom(d, "MANAGER", False);
        xembedInfo_ = XInternAtom(d, "_XEMBED_INFO", False);
        wmName_ = XInternAtom(d, "_NET_WM_NAME", False);
        utf8_ = XInternAtom(d, "UTF8_STRING", False);
        // A tray that starts later announces itself on the root window.
        Window root = DefaultRootWindow(d);
        XWindowAttributes attributes;
        XGetWindowAttributes(d, root, &attributes);
        XSelectInput(d, root, attributes.your_event_mask | StructureNotifyMask);
        session_.handle(root, [this](XEvent& e) { onRootEvent(e); });
        findTray(d);
    });
}

X11Tray::~X11Tray() {
    session_.call([&](Display* d) {
        for (auto& [number, icon] : icons_) {
            session_.forget(icon.window);
            XDestroyWindow(d, icon.window);
            if (icon.background) XFreePixmap(d, icon.background);
        }
        icons_.clear();
        session_.forget(DefaultRootWindow(d));
        if (tray_) session_.forget(tray_);
        platform::takeXError(d);
    });
}

X11Tray* X11Tray::onDisplay() {
    static std::mutex lock;
    // Made once and never torn down: at the process's end the session may already be gone.
    static X11Tray* tray = nullptr;
    std::lock_guard<std::mutex> guard(lock);
    if (!tray) {
        if (X11Session* session = X11Session::onDisplay()) {
            tray = new X11Tray(*session, [](int number, int mouseMessage) {
                TrayIcons::instance().deliver(number, mouseMessage);
            });
        }
    }
    return tray;
}

void X11Tray::findTray(Display* d) {
    XGrabServer(d);
    Window owner = XGetSelectionOwner(d, selection_);
    if (owner) XSelectInput(d, owner, StructureNotifyMask);
    XUngrabServer(d);
    if (platform::takeXError(d) != 0) owner = 0;  // it went while we looked
    if (owner == tray_) return;
    if (tray_) session_.forget(tray_);
    tray_ = owner;
    if (!tray_) return;
    session_.handle(tray_, [this](XEvent& e) {
        if (e.type == DestroyNotify && e.xdestroywindow.window == tray_) {
            session_.forget(tray_);
            tray_ = 0;
            platform::log("syslite", "the system tray went away; icons wait for the next one");
        }
    });
    for (const auto& [number, icon] : icons_) dock(d, icon);
}

void X11Tray::onRootEvent(XEvent& e) {
    if (e.type == ClientMessage && e.xclient.message_type == manager_ &&
        static_cast<Atom>(e.xclient.data.l[1]) == selection_) {
        findTray(e.xany.display);
    }
}

void X11Tray::dock(Display* d, const Icon& icon) {
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = tray_;
    message.xclient.message_type = opcode_;
    message.xclient.format = 32;
    message.xclient.data.l[0] = CurrentTime;
    message.xclient.data.l[1] = kRequestDock;
    message.xclient.data.l[2] = static_cast<long>(icon.window);
    XSendEvent(d, tray_, False, NoEventMask, &message);
    platform::takeXError(d);
    platform::log("syslite",
                  "tray icon " + std::to_string(icon.number) + " docked in the system tray");
}

void X11Tray::paint(Display* d, Icon& icon) {
    int screen = DefaultScreen(d);
    Visual* visual = DefaultVisual(d, screen);
    int depth = DefaultDepth(d, screen);
    IconImage scaled = scaleIcon(icon.image, icon.width, icon.height);
    XImage* image =
        XCreateImage(d, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                     static_cast<unsigned>(icon.width), static_cast<unsigned>(icon.height), 32, 0);
    if (!image) return;
    image->data = static_cast<char*>(
        std::calloc(static_cast<size_t>(image->bytes_per_line), static_cast<size_t>(icon.height)));
    int rs = shiftOf(visual->red_mask), gs = shiftOf(visual->green_mask),
        bs = shiftOf(visual->blue_mask);
    for (int y = 0; y < icon.height; ++y) {
        for (int x = 0; x < icon.width; ++x) {
            uint32_t p = scaled.argb[static_cast<size_t>(y) * icon.width + x];
            uint32_t a = p >> 24;
            auto blend = [&](int shift) {
                uint32_t front = (p >> shift) & 0xFF, back = (kBackdrop >> shift) & 0xFF;
                return (front * a + back * (255 - a)) / 255;
            };
            unsigned long pixel = (static_cast<unsigned long>(blend(16)) << rs) |
                                  (static_cast<unsigned long>(blend(8)) << gs) |
                                  (static_cast<unsigned long>(blend(0)) << bs);
            XPutPixel(image, x, y, pixel);
        }
    }
    Pixmap pixmap = XCreatePixmap(d, icon.window, static_cast<unsigned>(icon.width),
                                  static_cast<unsigned>(icon.height), static_cast<unsigned>(depth));
    GC gc = XCreateGC(d, pixmap, 0, nullptr);
    XPutImage(d, pixmap, gc, image, 0, 0, 0, 0, static_cast<unsigned>(icon.width),
              static_cast<unsigned>(icon.height));
    XFreeGC(d, gc);
    XDestroyImage(image);
    XSetWindowBackgroundPixmap(d, icon.window, pixmap);
    if (icon.background) XFreePixmap(d, icon.background);
    icon.background = pixmap;
    XClearWindow(d, icon.window);
}

void X11Tray::show(int number, const IconImage& image, const std::string& tooltip) {
    session_.call([&](Display* d) {
        Icon icon;
        icon.number = number;
        icon.image = image;
        XSetWindowAttributes attributes{};
        attributes.event_mask =
            ButtonPressMask | ButtonReleaseMask | ExposureMask | StructureNotifyMask;
        icon.window = XCreateWindow(d, DefaultRootWindow(d), 0, 0, kSize, kSize, 0, CopyFromParent,
                                    InputOutput, CopyFromParent, CWEventMask, &attributes);
        long info[2] = {0, kXEmbedMapped};
        XChangeProperty(d, icon.window, xembedInfo_, xembedInfo_, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(info), 2);
        XStoreName(d, icon.window, tooltip.c_str());
        XChangeProperty(d, icon.window, wmName_, utf8_, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(tooltip.data()),
                        static_cast<int>(tooltip.size()));
        XClassHint hint{const_cast<char*>("morvick-tray"), const_cast<char*>("MorvickNew")};
        XSetClassHint(d, icon.window, &hint);
        paint(d, icon);
        Icon& kept = icons_[number] = std::move(icon);
        session_.handle(kept.window, [this, number](XEvent& e) { onIconEvent(number, e); });
        if (tray_) {
            dock(d, kept);
        } else {
            platform::log("syslite", "no system tray on the display yet; tray icon " +
                                         std::to_string(number) + " waits for one");
        }
    });
}

void X11Tray::hide(int number) {
    session_.call([&](Display* d) {
        auto it = icons_.find(number);
        if (it == icons_.end()) return;
        session_.forget(it->second.window);
        XDestroyWindow(d, it->second.window);
        if (it->second.background) XFreePixmap(d, it->second.background);
        icons_.erase(it);
        platform::takeXError(d);
    });
}

void X11Tray::onIconEvent(int number, XEvent& e) {
    auto it = icons_.find(number);
    if (it == icons_.end()) return;
    Icon& icon = it->second;
    if (e.type == ConfigureNotify &&
        (e.xconfigure.width != icon.width || e.xconfigure.height != icon.height) &&
        e.xconfigure.width > 0 && e.xconfigure.height > 0 && e.xconfigure.width <= 512 &&
        e.xconfigure.height <= 512) {
        icon.width = e.xconfigure.width;
        icon.height = e.xconfigure.height;
        paint(e.xany.display, icon);
        return;
    }
    if (e.type != ButtonPress && e.type != ButtonRelease) return;
    bool press = e.type == ButtonPress;
    int message = 0;
    switch (e.xbutton.button) {
        case Button1:
            if (press && icon.lastLeftPress &&
                e.xbutton.time - icon.lastLeftPress < kDoubleClickMs) {
                message = SYSMSG_MOUSE_LBUTTONDBLCLK;
                icon.lastLeftPress = 0;
            } else {
                message = press ? SYSMSG_MOUSE_LBUTTONDOWN : SYSMSG_MOUSE_LBUTTONUP;
                if (press) icon.lastLeftPress = e.xbutton.time;
            }
            break;
        case Button2:
            message = press ? SYSMSG_MOUSE_MBUTTONDOWN : SYSMSG_MOUSE_MBUTTONUP;
            break;
        case Button3:
            message = press ? SYSMSG_MOUSE_RBUTTONDOWN : SYSMSG_MOUSE_RBUTTONUP;
            break;
        default:
            return;
    }
    deliver_(number, message);
}

}  // namespace syslite
