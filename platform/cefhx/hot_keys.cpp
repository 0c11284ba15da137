#include "platform/cefhx/hot_keys.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <poll.h>

#include <cstdio>

#include "platform/cefhx/hot_key_codes.h"
#include "platform/cefhx/window_messages.h"
#include "platform/shared/x11_error_trap.h"

namespace cefhx {
namespace {

constexpr unsigned kMatchedMods = ShiftMask | ControlMask | Mod1Mask | Mod4Mask;

void logLine(const std::string& line) {
    std::fprintf(stderr, "cefhx: %s\n", line.c_str());
}

std::string describe(const std::string& name, int modifiers, int virtualKey) {
    return "hot key \"" + name + "\" (modifiers " + std::to_string(modifiers) + ", key code " +
           std::to_string(virtualKey) + ")";
}

}  // namespace

HotKeys::HotKeys(std::string display) : displayName_(std::move(display)) {}

HotKeys::~HotKeys() {
    clear();
}

bool HotKeys::open() {
    if (display_) return true;
    display_ = XOpenDisplay(displayName_.c_str());
    if (!display_) return false;
    platform::trapXErrors(display_);
    // NumLock sits on one of the Mod masks; grabs are made for it on and off.
    XModifierKeymap* map = XGetModifierMapping(display_);
    KeyCode numLock = XKeysymToKeycode(display_, XK_Num_Lock);
    for (int m = 0; map && numLock && m < 8; ++m) {
        for (int k = 0; k < map->max_keypermod; ++k) {
            if (map->modifiermap[m * map->max_keypermod + k] == numLock) numLockMask_ = 1u << m;
        }
    }
    if (map) XFreeModifiermap(map);
    if (ml_watch_fd(ConnectionNumber(display_), POLLIN, 0, &HotKeys::onReadable, this, &watch_) !=
        ML_OK) {
        logLine(std::string("hot keys: the X connection cannot be watched: ") + ml_last_error());
        close();
        return false;
    }
    return true;
}

void HotKeys::close() {
    if (!display_) return;
    if (watch_) ml_unwatch_fd(watch_);
    watch_ = 0;
    platform::untrapXErrors(display_);
    XCloseDisplay(display_);
    display_ = nullptr;
}

bool HotKeys::grab(unsigned keycode, unsigned mask) {
    Window root = DefaultRootWindow(display_);
    const unsigned locks[] = {0, LockMask, numLockMask_, LockMask | numLockMask_};
    int done = 0;
    for (unsigned lock : locks) {
        XGrabKey(display_, static_cast<int>(keycode), mask | lock, root, False, GrabModeAsync,
                 GrabModeAsync);
        if (platform::takeXError(display_) != 0) break;
        ++done;
    }
    if (done == 4) return true;
    for (int i = 0; i < done; ++i) {
        XUngrabKey(display_, static_cast<int>(keycode), mask | locks[i], root);
    }
    platform::takeXError(display_);
    return false;
}

void HotKeys::ungrab(unsigned keycode, unsigned mask) {
    Window root = DefaultRootWindow(display_);
    for (unsigned lock : {0u, static_cast<unsigned>(LockMask), numLockMask_,
                          static_cast<unsigned>(LockMask) | numLockMask_}) {
        XUngrabKey(display_, static_cast<int>(keycode), mask | lock, root);
    }
    platform::takeXError(display_);
}

int HotKeys::add(ml_hwnd window, const std::string& name, int modifiers, int virtualKey) {
    std::string what = describe(name, modifiers, virtualKey);
    unsigned long keysym = keysymForVirtualKey(virtualKey);
    long mask = modifierMaskFor(modifiers);
    if (keysym == 0 || mask < 0) {
        logLine(what + " not registered: no such key or modifier here");
        return -1;
    }
    if (!open()) {
        logLine(what + " not registered: the X display \"" + displayName_ + "\" cannot be opened");
        return -1;
    }
    remove(window, name);
    KeyCode keycode = XKeysymToKeycode(display_, keysym);
    if (keycode == 0) {
        logLine(what + " not registered: the keyboard has no such key");
        return -1;
    }
    if (!grab(keycode, static_cast<unsigned>(mask))) {
        logLine(what + " not registered: another program holds it");
        readEvents();
        return -1;
    }
    Key key{++lastId_, modifiers, virtualKey, keycode, static_cast<unsigned>(mask)};
    keys_[{window, name}] = key;
    logLine(what + " registered for window " + std::to_string(window) + " as " +
            std::to_string(key.id));
    // Waiting for the grab's answer may have queued events the descriptor no longer announces.
    readEvents();
    return key.id;
}

bool HotKeys::remove(ml_hwnd window, const std::string& name) {
    auto it = keys_.find({window, name});
    if (it == keys_.end()) return false;
    ungrab(it->second.keycode, it->second.mask);
    keys_.erase(it);
    readEvents();
    return true;
}

void HotKeys::clear() {
    if (display_) {
        for (const auto& [owner, key] : keys_) ungrab(key.keycode, key.mask);
    }
    keys_.clear();
    close();
}

void HotKeys::readEvents() {
    while (display_ && XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type != KeyPress) continue;
        unsigned state = event.xkey.state & kMatchedMods;
        for (const auto& [owner, key] : keys_) {
            if (key.keycode != event.xkey.keycode || key.mask != state) continue;
            intptr_t lparam =
                static_cast<intptr_t>((key.virtualKey & 0xFFFF) << 16) | (key.modifiers & 0xFFFF);
            ml_post(owner.first, kHotKeyMessage, static_cast<uintptr_t>(key.id), lparam);
        }
    }
}

void HotKeys::onReadable(int, unsigned, void* self) {
    static_cast<HotKeys*>(self)->readEvents();
}

}  // namespace cefhx
