// Tray icons as status notifier items on a private session bus, against a watcher and host
// written here: the item registers (again with a new watcher), serves its picture and tool tip,
// turns the host's actions into the lobby's mouse messages, and leaves the bus when hidden.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "platform/shared/system_messages.h"
#include "platform/shared/x11_test_server.h"
#include "platform/syslite/delivered_fixture.h"
#include "platform/syslite/sni_tray.h"

namespace syslite {
namespace {

// The watcher and the host in one connection of its own.
class Watcher {
public:
    Watcher() {
        DBusError e;
        dbus_error_init(&e);
        c_ = dbus_connection_open_private(platform::test::sharedBus().address().c_str(), &e);
        if (!c_ || !dbus_bus_register(c_, &e)) throw std::runtime_error("cannot reach the bus");
        dbus_connection_set_exit_on_disconnect(c_, FALSE);
    }
    ~Watcher() {
        dbus_connection_close(c_);
        dbus_connection_unref(c_);
    }
    void claim() {
        ASSERT_EQ(dbus_bus_request_name(c_, "org.kde.StatusNotifierWatcher",
                                        DBUS_NAME_FLAG_DO_NOT_QUEUE, nullptr),
                  DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER);
    }
    // Waits for the next registration, answers it, and answers the service it names.
    std::string nextRegistration() {
        while (true) {
            // Messages may wait in the queue already (read while a call waited for its reply).
            while (DBusMessage* m = dbus_connection_pop_message(c_)) {
                if (dbus_message_is_method_call(m, "org.kde.StatusNotifierWatcher",
                                                "RegisterStatusNotifierItem")) {
                    const char* service = nullptr;
                    dbus_message_get_args(m, nullptr, DBUS_TYPE_STRING, &service,
                                          DBUS_TYPE_INVALID);
                    std::string name = service;
                    dbus_message_unref(m);
                    return name;
                }
                dbus_message_unref(m);
            }
            dbus_connection_read_write(c_, -1);
        }
    }
    // Calls the item and answers the reply (null on an error reply).
    DBusMessage* callItem(const std::string& service, const char* interface, const char* member,
                          const std::function<void(DBusMessage*)>& args) {
        DBusMessage* m =
            dbus_message_new_method_call(service.c_str(), "/StatusNotifierItem", interface, member);
        args(m);
        DBusMessage* reply = dbus_connection_send_with_reply_and_block(c_, m, -1, nullptr);
        dbus_message_unref(m);
        return reply;
    }
    DBusMessage* property(const std::string& service, const char* name) {
        return callItem(service, "org.freedesktop.DBus.Properties", "Get", [&](DBusMessage* m) {
            const char* interface = "org.kde.StatusNotifierItem";
            dbus_message_append_args(m, DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &name,
                                     DBUS_TYPE_INVALID);
        });
    }
    void act(const std::string& service, const char* action) {
        DBusMessage* reply =
            callItem(service, "org.kde.StatusNotifierItem", action, [](DBusMessage* m) {
                dbus_int32_t x = 10, y = 20;
                dbus_message_append_args(m, DBUS_TYPE_INT32, &x, DBUS_TYPE_INT32, &y,
                                         DBUS_TYPE_INVALID);
            });
        ASSERT_NE(reply, nullptr);
        dbus_message_unref(reply);
    }
    bool hasOwner(const std::string& name) {
        return dbus_bus_name_has_owner(c_, name.c_str(), nullptr);
    }

private:
    DBusConnection* c_;
};

TEST(SniTray, ItemRegistersServesItsPictureAndReportsActions) {
    testing::Delivered<int> delivered;
    Watcher watcher;
    SniTray tray(platform::test::sharedBus().address(), [&](int number, int m) {
        EXPECT_EQ(number, 4);
        delivered.add(m);
    });
    EXPECT_FALSE(tray.watcherPresent());
    watcher.claim();
    EXPECT_TRUE(tray.watcherPresent());
    tray.show(4, IconImage{1, 2, {0x80FF0000u, 0xFF0000FFu}}, "Morvick ✓");
    std::string service = watcher.nextRegistration();
    EXPECT_NE(service.find("org.kde.StatusNotifierItem-"), std::string::npos);

    DBusMessage* tip = watcher.property(service, "ToolTip");
    ASSERT_NE(tip, nullptr);
    DBusMessageIter it, variant, fields;
    dbus_message_iter_init(tip, &it);
    dbus_message_iter_recurse(&it, &variant);
    dbus_message_iter_recurse(&variant, &fields);
    dbus_message_iter_next(&fields);  // icon name
    dbus_message_iter_next(&fields);  // pixmaps
    const char* title = nullptr;
    dbus_message_iter_get_basic(&fields, &title);
    EXPECT_STREQ(title, "Morvick ✓");
    dbus_message_unref(tip);

    DBusMessage* pixmap = watcher.property(service, "IconPixmap");
    ASSERT_NE(pixmap, nullptr);
    DBusMessageIter array, entry, bytes;
    dbus_message_iter_init(pixmap, &it);
    dbus_message_iter_recurse(&it, &variant);
    dbus_message_iter_recurse(&variant, &array);
    dbus_message_iter_recurse(&array, &entry);
    dbus_int32_t w = 0, h = 0;
    dbus_message_iter_get_basic(&entry, &w);
    dbus_message_iter_next(&entry);
    dbus_message_iter_get_basic(&entry, &h);
    dbus_message_iter_next(&entry);
    dbus_message_iter_recurse(&entry, &bytes);
    const unsigned char* data = nullptr;
    int length = 0;
    dbus_message_iter_get_fixed_array(&bytes, &data, &length);
    EXPECT_EQ(w, 1);
    EXPECT_EQ(h, 2);
    ASSERT_EQ(length, 8);
    EXPECT_EQ(std::vector<unsigned char>(data, data + 8),
              (std::vector<unsigned char>{0x80, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF}));
    dbus_message_unref(pixmap);
    EXPECT_EQ(watcher.property(service, "NoSuchThing"), nullptr);

    watcher.act(service, "ContextMenu");
    watcher.act(service, "Activate");
    watcher.act(service, "SecondaryActivate");
    EXPECT_EQ(delivered.waitFor(3),
              (std::vector<int>{SYSMSG_MOUSE_RBUTTONUP, SYSMSG_MOUSE_LBUTTONDBLCLK,
                                SYSMSG_MOUSE_MBUTTONUP}));
    tray.hide(4);
    EXPECT_FALSE(watcher.hasOwner(service));
}

TEST(SniTray, ItemRegistersAgainWithANewWatcher) {
    std::string service;
    SniTray tray(platform::test::sharedBus().address(), [](int, int) {});
    {
        Watcher first;
        first.claim();
        tray.show(9, fallbackIcon(16), "again");
        service = first.nextRegistration();
    }  // the first watcher ends
    Watcher second;
    second.claim();
    EXPECT_EQ(second.nextRegistration(), service);
}

}  // namespace
}  // namespace syslite
