#pragma once

#include <dbus/dbus.h>

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "platform/syslite/icon_file.h"

namespace syslite {

// Tray icons as freedesktop StatusNotifierItems on the session bus, for desktops whose tray is a
// StatusNotifierWatcher: each icon is a bus name of its own ("org.kde.StatusNotifierItem-<pid>-
// <number>") serving the item at /StatusNotifierItem, registered with the watcher (again when a
// new watcher starts). The host's actions become the lobby's mouse messages: Activate (the
// primary click) 515, the left double click the lobby acts on; ContextMenu 517, the right
// button's release; SecondaryActivate 520, the middle button's release.
class SniTray {
public:
    using Deliver = std::function<void(int number, int mouseMessage)>;

    // Connects to the bus at that address; throws when it cannot.
    SniTray(const std::string& address, Deliver deliver);
    ~SniTray();
    SniTray(const SniTray&) = delete;
    SniTray& operator=(const SniTray&) = delete;

    // The tray on $DBUS_SESSION_BUS_ADDRESS, delivering to the icons' owner windows, when a
    // watcher is on that bus now; null otherwise.
    static SniTray* onSession();
    // The tray made by onSession earlier, watcher or not (to take its icons away); null when none.
    static SniTray* existing();

    // True when a StatusNotifierWatcher owns its name on the bus.
    bool watcherPresent();

    void show(int number, const IconImage& icon, const std::string& tooltip);
    void hide(int number);

private:
    struct Icon {
        std::string service;
        IconImage image;
        std::string tooltip;
    };

    void run();
    void wake();
    // Runs fn on the bus thread and waits for it.
    void call(const std::function<void()>& fn);
    void registerWithWatcher(const std::string& service);
    static DBusHandlerResult onMessage(DBusConnection*, DBusMessage* message, void* self);
    DBusHandlerResult handle(DBusMessage* message);
    void appendProperty(DBusMessageIter* into, const Icon& icon, const std::string& name);

    DBusConnection* bus_ = nullptr;
    Deliver deliver_;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::mutex lock_;
    std::function<void()> task_;
    bool taskDone_ = true;
    bool stopping_ = false;
    std::condition_variable changed_;
    std::map<int, Icon> icons_;  // bus thread only
    std::thread thread_;
};

}  // namespace syslite
