// Global hot keys against a private X server: a key pressed through XTest reaches the window,
// a key another client holds fails, and releasing a key frees it for others.
// Google Test comes before the X headers, whose macros (None, Bool) would break its templates.
#include <gtest/gtest.h>

#include "platform/msgloop/test_support.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <stdexcept>

#include "platform/cefhx/hot_key_codes.h"
#include "platform/cefhx/hot_keys.h"
#include "platform/cefhx/window_messages.h"
#include "platform/shared/x11_error_trap.h"
#include "platform/shared/x11_test_server.h"

namespace cefhx {
namespace {

using msgloop::test::pump_until;
using msgloop::test::Recorder;

// Another program on the same display.
class OtherClient {
public:
    OtherClient() : display_(XOpenDisplay(platform::test::sharedXvfb().display().c_str())) {
        if (!display_)
            throw std::runtime_error("cannot connect to " + platform::test::sharedXvfb().display());
        platform::trapXErrors(display_);
    }
    ~OtherClient() {
        platform::untrapXErrors(display_);
        XCloseDisplay(display_);
    }
    // True when the combination could be grabbed (nobody else holds it).
    bool grab(KeySym sym, unsigned mask) {
        XGrabKey(display_, XKeysymToKeycode(display_, sym), mask, DefaultRootWindow(display_),
                 False, GrabModeAsync, GrabModeAsync);
        return platform::takeXError(display_) == 0;
    }
    void ungrab(KeySym sym, unsigned mask) {
        XUngrabKey(display_, XKeysymToKeycode(display_, sym), mask, DefaultRootWindow(display_));
        platform::takeXError(display_);
    }
    void press(std::initializer_list<KeySym> keys) {
        for (KeySym k : keys) XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, k), True, 0);
        for (auto k = std::rbegin(keys); k != std::rend(keys); ++k) {
            XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, *k), False, 0);
        }
        XSync(display_, False);
    }

private:
    Display* display_;
};

class HotKeysTest : public msgloop::test::LoopTest {
protected:
    void SetUp() override {
        LoopTest::SetUp();
        window.create();
    }
    void TearDown() override {
        keys.clear();
        LoopTest::TearDown();
    }
    size_t hotKeyMessages() const { return window.count(kHotKeyMessage); }

    Recorder window;
    HotKeys keys{platform::test::sharedXvfb().display()};
    OtherClient other;
};

TEST_F(HotKeysTest, SynthesisedKeyReachesTheWindowWithIdAndKey) {
    int id = keys.add(window.hwnd, "boss", kModAlt, 'Q');
    ASSERT_GT(id, 0);
    other.press({XK_q});  // without Alt: not the hot key
    other.press({XK_Alt_L, XK_q});
    ASSERT_TRUE(pump_until([&] { return hotKeyMessages() == 1; }));
    const auto& m = window.messages.back();
    EXPECT_EQ(m.wparam, static_cast<uintptr_t>(id));
    EXPECT_EQ(m.lparam, ('Q' << 16) | kModAlt);
    // Caps Lock on still counts as the same key.
    other.press({XK_Caps_Lock});
    other.press({XK_Alt_L, XK_q});
    other.press({XK_Caps_Lock});
    ASSERT_TRUE(pump_until([&] { return hotKeyMessages() == 2; }));
}

TEST_F(HotKeysTest, KeyHeldByAnotherClientFails) {
    ASSERT_TRUE(other.grab(XK_F12, ControlMask));
    EXPECT_EQ(keys.add(window.hwnd, "boss", kModControl, 0x7B), -1);
    // A failed grab leaves nothing behind: once the other client lets go, the key is free.
    other.ungrab(XK_F12, ControlMask);
    EXPECT_GT(keys.add(window.hwnd, "boss", kModControl, 0x7B), 0);
    EXPECT_FALSE(other.grab(XK_F12, ControlMask));
}

TEST_F(HotKeysTest, RemovingAndReplacingReleaseTheKey) {
    ASSERT_GT(keys.add(window.hwnd, "boss", kModAlt | kModShift, 'B'), 0);
    EXPECT_FALSE(other.grab(XK_b, Mod1Mask | ShiftMask));
    // The same name again takes the new key and frees the old one.
    int second = keys.add(window.hwnd, "boss", kModAlt, 0x70);
    ASSERT_GT(second, 0);
    EXPECT_TRUE(other.grab(XK_b, Mod1Mask | ShiftMask));
    other.ungrab(XK_b, Mod1Mask | ShiftMask);
    EXPECT_TRUE(keys.remove(window.hwnd, "boss"));
    EXPECT_FALSE(keys.remove(window.hwnd, "boss"));
    EXPECT_TRUE(other.grab(XK_F1, Mod1Mask));
    other.ungrab(XK_F1, Mod1Mask);
    other.press({XK_Alt_L, XK_F1});
    // A released key posts nothing: a later key's message is the first one to arrive.
    ASSERT_GT(keys.add(window.hwnd, "other", kModControl, 'K'), 0);
    other.press({XK_Control_L, XK_k});
    ASSERT_TRUE(pump_until([&] { return hotKeyMessages() > 0; }));
    EXPECT_EQ(window.messages.back().lparam, ('K' << 16) | kModControl);
    EXPECT_EQ(hotKeyMessages(), 1u);
}

TEST_F(HotKeysTest, UnknownKeysModifiersAndDisplaysFail) {
    EXPECT_EQ(keys.add(window.hwnd, "k", kModAlt, 0x07), -1);  // no key has this code
    EXPECT_EQ(keys.add(window.hwnd, "k", 0x10, 'A'), -1);      // no such modifier
    HotKeys nowhere("unix:65000");  // a local socket only: no fall-back to TCP
    EXPECT_EQ(nowhere.add(window.hwnd, "k", kModAlt, 'A'), -1);
}

TEST(HotKeyCodes, VirtualKeysMapToKeySymbols) {
    EXPECT_EQ(keysymForVirtualKey('A'), static_cast<unsigned long>(XK_a));
    EXPECT_EQ(keysymForVirtualKey('Z'), static_cast<unsigned long>(XK_z));
    EXPECT_EQ(keysymForVirtualKey('9'), static_cast<unsigned long>(XK_9));
    EXPECT_EQ(keysymForVirtualKey(0x69), static_cast<unsigned long>(XK_KP_9));
    EXPECT_EQ(keysymForVirtualKey(0x87), static_cast<unsigned long>(XK_F24));
    EXPECT_EQ(keysymForVirtualKey(0xC0), static_cast<unsigned long>(XK_grave));
    EXPECT_EQ(keysymForVirtualKey(0x61), static_cast<unsigned long>(XK_KP_1));  // not 'a'
    EXPECT_EQ(keysymForVirtualKey(0x88), 0ul);
    EXPECT_EQ(modifierMaskFor(kModAlt | kModWin | kModNoRepeat), Mod1Mask | Mod4Mask);
    EXPECT_EQ(modifierMaskFor(0x8000), -1);
}

}  // namespace
}  // namespace cefhx
