// The tray icon on a private X server, against a system tray written here (the owner of
// _NET_SYSTEM_TRAY_S0): the icon docks now or when a tray appears later, shows its picture and
// tool tip, turns clicks into the lobby's mouse messages, and leaves when it is hidden.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "platform/msgloop/test_support.h"
#include "platform/shared/system_messages.h"
#include "platform/shared/x11_test_server.h"
#include "platform/syslite/delivered_fixture.h"
#include "platform/syslite/icon_file_fixture.h"
#include "platform/syslite/primitives_fixture.h"
#include "platform/syslite/x11_tray.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace syslite {
namespace {

// A system tray: owns the selection, announces itself, and docks icons at its top left corner.
class TestTray {
public:
    TestTray() : d_(XOpenDisplay(platform::test::sharedXvfb().display().c_str())) {
        if (!d_)
            throw std::runtime_error("cannot connect to " + platform::test::sharedXvfb().display());
        selection_ = XInternAtom(d_, "_NET_SYSTEM_TRAY_S0", False);
        opcode_ = XInternAtom(d_, "_NET_SYSTEM_TRAY_OPCODE", False);
    }
    ~TestTray() {
        if (d_) XCloseDisplay(d_);
    }

    void start() {
        XSetWindowAttributes a{};
        a.override_redirect = True;
        a.background_pixel = 0xFFFFFF;
        window_ = XCreateWindow(d_, DefaultRootWindow(d_), 0, 0, 100, 30, 0, CopyFromParent,
                                InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &a);
        XMapWindow(d_, window_);
        XSetSelectionOwner(d_, selection_, window_, CurrentTime);
        XEvent m{};
        m.xclient.type = ClientMessage;
        m.xclient.window = DefaultRootWindow(d_);
        m.xclient.message_type = XInternAtom(d_, "MANAGER", False);
        m.xclient.format = 32;
        m.xclient.data.l[0] = CurrentTime;
        m.xclient.data.l[1] = static_cast<long>(selection_);
        m.xclient.data.l[2] = static_cast<long>(window_);
        XSendEvent(d_, DefaultRootWindow(d_), False, StructureNotifyMask, &m);
        XSync(d_, False);
    }
    // The tray program ends.
    void stop() {
        XCloseDisplay(d_);
        d_ = nullptr;
    }

    // Waits for a dock request and docks the icon; answers its window.
    Window dockNext() {
        XEvent e;
        do XNextEvent(d_, &e);
        while (!(e.type == ClientMessage && e.xclient.message_type == opcode_ &&
                 e.xclient.data.l[1] == 0));
        Window icon = static_cast<Window>(e.xclient.data.l[2]);
        XSelectInput(d_, icon, StructureNotifyMask);
        // As trays do: the icon outlives the tray, back on the root window.
        XAddToSaveSet(d_, icon);
        XReparentWindow(d_, icon, window_, 3, 3);
        XMapWindow(d_, icon);
        do XNextEvent(d_, &e);
        while (!(e.type == MapNotify && e.xmap.window == icon));
        return icon;
    }
    void waitDestroyed(Window icon) {
        XEvent e;
        do XNextEvent(d_, &e);
        while (!(e.type == DestroyNotify && e.xdestroywindow.window == icon));
    }

    std::string name(Window icon) {
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        XGetWindowProperty(d_, icon, XInternAtom(d_, "_NET_WM_NAME", False), 0, 1024, False,
                           AnyPropertyType, &type, &format, &count, &after, &data);
        std::string text(reinterpret_cast<char*>(data), count);
        XFree(data);
        return text;
    }
    unsigned long pixel(Window icon, int x, int y) {
        XImage* image = XGetImage(d_, icon, x, y, 1, 1, AllPlanes, ZPixmap);
        unsigned long p = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
        return p;
    }
    void click(unsigned button, int times = 1) {
        XTestFakeMotionEvent(d_, 0, 3 + X11Tray::kSize / 2, 3 + X11Tray::kSize / 2, 0);
        for (int i = 0; i < times; ++i) {
            XTestFakeButtonEvent(d_, button, True, 0);
            XTestFakeButtonEvent(d_, button, False, 0);
        }
        XSync(d_, False);
    }

private:
    Display* d_;
    Atom selection_, opcode_;
    Window window_ = 0;
};

IconImage redIcon() {
    // Red, with a transparent left column.
    std::string file = testing::iconFile(
        16, 16, 32, {}, [](int x, int) { return x == 0 ? 0u : 0xFFFF0000u; },
        [](int, int) { return false; });
    return *decodeIcon(file);
}

TEST(X11Tray, IconDocksShowsItselfAndReportsClicks) {
    testing::Delivered<std::pair<int, int>> delivered;
    X11Session session(platform::test::sharedXvfb().display());
    TestTray host;
    host.start();
    X11Tray tray(session, [&](int n, int m) { delivered.add({n, m}); });
    tray.show(7, redIcon(), "Morvick 1.0 ✓");
    Window icon = host.dockNext();
    EXPECT_EQ(host.name(icon), "Morvick 1.0 ✓");
    EXPECT_EQ(host.pixel(icon, X11Tray::kSize / 2, X11Tray::kSize / 2), 0xFF0000ul);
    EXPECT_EQ(host.pixel(icon, 0, 5), 0x303030ul);  // the transparent column
    host.click(3);
    host.click(1, 2);
    auto got = delivered.waitFor(6);
    std::vector<std::pair<int, int>> expected = {
        {7, SYSMSG_MOUSE_RBUTTONDOWN},   {7, SYSMSG_MOUSE_RBUTTONUP},
        {7, SYSMSG_MOUSE_LBUTTONDOWN},   {7, SYSMSG_MOUSE_LBUTTONUP},
        {7, SYSMSG_MOUSE_LBUTTONDBLCLK}, {7, SYSMSG_MOUSE_LBUTTONUP}};
    EXPECT_EQ(got, expected);
    tray.hide(7);
    host.waitDestroyed(icon);
}

TEST(X11Tray, IconWaitsForATrayAndDocksAgainInTheNextOne) {
    X11Session session(platform::test::sharedXvfb().display());
    X11Tray tray(session, [](int, int) {});
    tray.show(1, fallbackIcon(32), "waiting");
    TestTray first;
    first.start();
    Window icon = first.dockNext();
    first.stop();  // the tray ends; the icon survives it on the root window
    TestTray second;
    second.start();
    EXPECT_EQ(second.dockNext(), icon);
}

// The primitives with a display: the lobby's tray icon appears in the tray and a right click on
// it reaches the owner window as the tray message.
class TrayPrimitivesOnDisplay : public testing::PrimitivesTest {
protected:
    void SetUp() override {
        PrimitivesTest::SetUp();
        platform::test::sharedXvfb().exportDisplay();
        ASSERT_EQ(ml_init(), ML_OK);
        owner.create();
    }
    void TearDown() override {
        ::unsetenv("DISPLAY");
        ml_shutdown();
        PrimitivesTest::TearDown();
    }
    msgloop::test::Recorder owner;
};

TEST_F(TrayPrimitivesOnDisplay, RightClickReachesTheOwnerWindow) {
    TestTray host;
    host.start();
    std::string ico = dir_ / "Lobby.ico";
    std::ofstream(ico, std::ios::binary) << testing::iconFile(
        16, 16, 32, {}, [](int, int) { return 0xFF00FF00u; }, [](int, int) { return false; });
    rt::Value icon = testing::call("systray_create_icon", {rt::Value(static_cast<int>(owner.hwnd)),
                                                           rt::Value(ico), rt::Value("Lobby")});
    Window docked = host.dockNext();
    EXPECT_EQ(host.name(docked), "Lobby");
    EXPECT_EQ(host.pixel(docked, 5, 5), 0x00FF00ul);
    host.click(3);
    ASSERT_TRUE(msgloop::test::pump_until([&] { return owner.count(SYSMSG_TRAY) == 2; }));
    EXPECT_EQ(owner.messages.back().lparam, SYSMSG_MOUSE_RBUTTONUP);
    testing::call("systray_destroy_icon", {icon});
    host.waitDestroyed(docked);
}

}  // namespace
}  // namespace syslite
