// Global hot keys on the X display: a key combination grabbed on the root window, reported to
// its window as the hot-key message (onSystemMessage "hotkey" once the host delivers it).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "platform/msgloop/msgloop.h"

typedef struct _XDisplay Display;

namespace cefhx {

class HotKeys {
public:
    // Keys on the X display of that name (XOpenDisplay's form, ":1"); the connection is opened
    // at the first registration and watched on the calling thread's message loop.
    explicit HotKeys(std::string display);
    HotKeys(const HotKeys&) = delete;
    HotKeys& operator=(const HotKeys&) = delete;
    ~HotKeys();

    // Grabs the key (Windows modifier bits, virtual-key code) for the window under the name; a
    // name the window already holds is released first. Answers the key's id (1, 2, ...), or -1,
    // with a log line saying why, when the display cannot be opened, the key names nothing here
    // or another client holds the combination. A press posts the hot-key message to the window:
    // wparam the id, lparam the modifier bits in the low and the virtual-key code in the high
    // 16 bits.
    int add(ml_hwnd window, const std::string& name, int modifiers, int virtualKey);
    // Releases the window's key of that name; false when it holds none.
    bool remove(ml_hwnd window, const std::string& name);
    // Releases every key and closes the connection.
    void clear();

private:
    struct Key {
        int id = 0;
        int modifiers = 0;
        int virtualKey = 0;
        unsigned keycode = 0;
        unsigned mask = 0;
    };

    bool open();
    void close();
    // Grabs the combination with every state of the lock keys; false when another client holds
    // any of them (what was grabbed is released again).
    bool grab(unsigned keycode, unsigned mask);
    void ungrab(unsigned keycode, unsigned mask);
    void readEvents();
    static void onReadable(int fd, unsigned revents, void* self);

    std::string displayName_;
    Display* display_ = nullptr;
    uint64_t watch_ = 0;
    unsigned numLockMask_ = 0;
    int lastId_ = 0;
    std::map<std::pair<ml_hwnd, std::string>, Key> keys_;
};

}  // namespace cefhx
