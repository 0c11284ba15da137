#include "platform/syslite/sni_tray.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "platform/shared/platform_log.h"
#include "platform/shared/system_messages.h"
#include "platform/syslite/settings.h"
#include "platform/syslite/tray_icons.h"

namespace syslite {
namespace {

constexpr const char* kWatcher = "org.kde.StatusNotifierWatcher";
constexpr const char* kItem = "org.kde.StatusNotifierItem";
constexpr const char* kPath = "/StatusNotifierItem";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";

constexpr const char* kIntrospection =
    "<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\" "
    "\"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">"
    "<node><interface name=\"org.kde.StatusNotifierItem\">"
    "<property name=\"Category\" type=\"s\" access=\"read\"/>"
    "<property name=\"Id\" type=\"s\" access=\"read\"/>"
    "<property name=\"Title\" type=\"s\" access=\"read\"/>"
    "<property name=\"Status\" type=\"s\" access=\"read\"/>"
    "<property name=\"WindowId\" type=\"i\" access=\"read\"/>"
    "<property name=\"IconName\" type=\"s\" access=\"read\"/>"
    "<property name=\"IconPixmap\" type=\"a(iiay)\" access=\"read\"/>"
    "<property name=\"ToolTip\" type=\"(sa(iiay)ss)\" access=\"read\"/>"
    "<property name=\"ItemIsMenu\" type=\"b\" access=\"read\"/>"
    "<property name=\"Menu\" type=\"o\" access=\"read\"/>"
    "<method name=\"ContextMenu\"><arg name=\"x\" type=\"i\" direction=\"in\"/>"
    "<arg name=\"y\" type=\"i\" direction=\"in\"/></method>"
    "<method name=\"Activate\"><arg name=\"x\" type=\"i\" direction=\"in\"/>"
    "<arg name=\"y\" type=\"i\" direction=\"in\"/></method>"
    "<method name=\"SecondaryActivate\"><arg name=\"x\" type=\"i\" direction=\"in\"/>"
    "<arg name=\"y\" type=\"i\" direction=\"in\"/></method>"
    "<method name=\"Scroll\"><arg name=\"delta\" type=\"i\" direction=\"in\"/>"
    "<arg name=\"orientation\" type=\"s\" direction=\"in\"/></method>"
    "</interface><interface name=\"org.freedesktop.DBus.Properties\">"
    "<method name=\"Get\"><arg type=\"s\" direction=\"in\"/><arg type=\"s\" direction=\"in\"/>"
    "<arg type=\"v\" direction=\"out\"/></method>"
    "<method name=\"GetAll\"><arg type=\"s\" direction=\"in\"/>"
    "<arg type=\"a{sv}\" direction=\"out\"/></method></interface></node>";

const char* const kPropertyNames[] = {"Category", "Id",         "Title",   "Status",     "WindowId",
                                      "IconName", "IconPixmap", "ToolTip", "ItemIsMenu", "Menu"};

struct ErrorText {
    DBusError error;
    ErrorText() { dbus_error_init(&error); }
    ~ErrorText() { dbus_error_free(&error); }
    std::string text() const { return error.message ? error.message : "unknown error"; }
};

void appendString(DBusMessageIter* it, const std::string& s) {
    const char* p = s.c_str();
    dbus_message_iter_append_basic(it, DBUS_TYPE_STRING, &p);
}

// a(iiay): the image in network byte order ARGB, as the items carry pictures.
void appendPixmaps(DBusMessageIter* into, const IconImage* image) {
    DBusMessageIter array, entry, bytes;
    dbus_message_iter_open_container(into, DBUS_TYPE_ARRAY, "(iiay)", &array);
    if (image && image->width > 0) {
        dbus_message_iter_open_container(&array, DBUS_TYPE_STRUCT, nullptr, &entry);
        dbus_int32_t w = image->width, h = image->height;
        dbus_message_iter_append_basic(&entry, DBUS_TYPE_INT32, &w);
        dbus_message_iter_append_basic(&entry, DBUS_TYPE_INT32, &h);
        std::vector<unsigned char> data;
        data.reserve(image->argb.size() * 4);
        for (uint32_t p : image->argb) {
            for (int shift = 24; shift >= 0; shift -= 8) data.push_back((p >> shift) & 0xFF);
        }
        const unsigned char* raw = data.data();
        dbus_message_iter_open_container(&entry, DBUS_TYPE_ARRAY, "y", &bytes);
        dbus_message_iter_append_fixed_array(&bytes, DBUS_TYPE_BYTE, &raw,
                                             static_cast<int>(data.size()));
        dbus_message_iter_close_container(&entry, &bytes);
        dbus_message_iter_close_container(&array, &entry);
    }
    dbus_message_iter_close_container(into, &array);
}

}  // namespace

SniTray::SniTray(const std::string& address, Deliver deliver) : deliver_(std::move(deliver)) {
    ErrorText e;
    bus_ = dbus_connection_open_private(address.c_str(), &e.error);
    if (!bus_) throw std::runtime_error("the session bus cannot be reached: " + e.text());
    if (!dbus_bus_register(bus_, &e.error)) {
        dbus_connection_close(bus_);
        dbus_connection_unref(bus_);
        throw std::runtime_error("the session bus refused us: " + e.text());
    }
    dbus_connection_set_exit_on_disconnect(bus_, FALSE);
    std::string rule = std::string("type='signal',sender='org.freedesktop.DBus',") +
                       "interface='org.freedesktop.DBus',member='NameOwnerChanged',arg0='" +
                       kWatcher + "'";
    dbus_bus_add_match(bus_, rule.c_str(), nullptr);
    dbus_connection_add_filter(bus_, &SniTray::onMessage, this, nullptr);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        dbus_connection_close(bus_);
        dbus_connection_unref(bus_);
        throw std::runtime_error("no pipe for the session bus thread");
    }
    wakeRead_ = fds[0];
    wakeWrite_ = fds[1];
    thread_ = std::thread([this] { run(); });
}

SniTray::~SniTray() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
    }
    wake();
    thread_.join();
    dbus_connection_close(bus_);
    dbus_connection_unref(bus_);
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

namespace {
std::mutex sessionLock;
// Never torn down: its thread serves the bus until the process ends.
SniTray* sessionTray = nullptr;
bool sessionTried = false;
}  // namespace

SniTray* SniTray::onSession() {
    std::lock_guard<std::mutex> guard(sessionLock);
    if (!sessionTray && !sessionTried) {
        sessionTried = true;
        const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
        if (!address || !*address || headless()) return nullptr;
        try {
            sessionTray = new SniTray(address, [](int number, int mouseMessage) {
                TrayIcons::instance().deliver(number, mouseMessage);
            });
        } catch (const std::exception& e) {
            platform::log("syslite", e.what());
        }
    }
    return sessionTray && sessionTray->watcherPresent() ? sessionTray : nullptr;
}

SniTray* SniTray::existing() {
    std::lock_guard<std::mutex> guard(sessionLock);
    return sessionTray;
}

void SniTray::wake() {
    char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(wakeWrite_, &byte, 1);
}

void SniTray::call(const std::function<void()>& fn) {
    if (std::this_thread::get_id() == thread_.get_id()) return fn();
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait(guard, [&] { return taskDone_; });
    task_ = fn;
    taskDone_ = false;
    guard.unlock();
    wake();
    guard.lock();
    changed_.wait(guard, [&] { return taskDone_ && !task_; });
}

void SniTray::run() {
    int fd = -1;
    dbus_connection_get_unix_fd(bus_, &fd);
    while (true) {
        std::function<void()> task;
        {
            std::lock_guard<std::mutex> guard(lock_);
            task = task_;
        }
        if (task) {
            task();
            std::lock_guard<std::mutex> guard(lock_);
            task_ = nullptr;
            taskDone_ = true;
            changed_.notify_all();
        }
        while (dbus_connection_dispatch(bus_) == DBUS_DISPATCH_DATA_REMAINS) {
        }
        dbus_connection_flush(bus_);
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (stopping_) return;
            if (task_) continue;
        }
        pollfd p[2] = {{fd, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        ::poll(p, 2, -1);
        if (p[0].revents) {
            if (!dbus_connection_read_write(bus_, 0)) {
                platform::log("syslite", "the session bus closed; tray items are gone");
                std::unique_lock<std::mutex> guard(lock_);
                // Serve the remaining tasks without the bus until the tray is dropped.
                changed_.wait(guard, [&] { return stopping_ || task_ != nullptr; });
                if (stopping_) return;
                continue;
            }
        }
        char drain[64];
        while (::read(wakeRead_, drain, sizeof drain) > 0) {
        }
    }
}

bool SniTray::watcherPresent() {
    bool present = false;
    call([&] {
        ErrorText e;
        present = dbus_bus_name_has_owner(bus_, kWatcher, &e.error);
    });
    return present;
}

void SniTray::registerWithWatcher(const std::string& service) {
    DBusMessage* m = dbus_message_new_method_call(kWatcher, "/StatusNotifierWatcher", kWatcher,
                                                  "RegisterStatusNotifierItem");
    DBusMessageIter it;
    dbus_message_iter_init_append(m, &it);
    appendString(&it, service);
    dbus_message_set_no_reply(m, TRUE);
    dbus_connection_send(bus_, m, nullptr);
    dbus_message_unref(m);
}

void SniTray::show(int number, const IconImage& image, const std::string& tooltip) {
    call([&] {
        std::string service =
            std::string(kItem) + "-" + std::to_string(::getpid()) + "-" + std::to_string(number);
        ErrorText e;
        if (dbus_bus_request_name(bus_, service.c_str(), DBUS_NAME_FLAG_DO_NOT_QUEUE, &e.error) !=
            DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER) {
            platform::log("syslite", "tray icon " + std::to_string(number) + ": the bus name " +
                                         service + " cannot be had: " + e.text());
            return;
        }
        icons_[number] = Icon{service, image, tooltip};
        registerWithWatcher(service);
        platform::log("syslite", "tray icon " + std::to_string(number) +
                                     " registered with the status notifier watcher as " + service);
    });
}

void SniTray::hide(int number) {
    call([&] {
        auto it = icons_.find(number);
        if (it == icons_.end()) return;
        ErrorText e;
        dbus_bus_release_name(bus_, it->second.service.c_str(), &e.error);
        icons_.erase(it);
    });
}

DBusHandlerResult SniTray::onMessage(DBusConnection*, DBusMessage* message, void* self) {
    return static_cast<SniTray*>(self)->handle(message);
}

void SniTray::appendProperty(DBusMessageIter* into, const Icon& icon, const std::string& name) {
    DBusMessageIter v;
    auto text = [&](const std::string& s) {
        dbus_message_iter_open_container(into, DBUS_TYPE_VARIANT, "s", &v);
        appendString(&v, s);
        dbus_message_iter_close_container(into, &v);
    };
    if (name == "Category") return text("ApplicationStatus");
    if (name == "Id") return text("MorvickNew");
    if (name == "Title") return text(icon.tooltip);
    if (name == "Status") return text("Active");
    if (name == "IconName") return text("");
    if (name == "WindowId") {
        dbus_int32_t zero = 0;
        dbus_message_iter_open_container(into, DBUS_TYPE_VARIANT, "i", &v);
        dbus_message_iter_append_basic(&v, DBUS_TYPE_INT32, &zero);
    } else if (name == "ItemIsMenu") {
        dbus_bool_t no = FALSE;
        dbus_message_iter_open_container(into, DBUS_TYPE_VARIANT, "b", &v);
        dbus_message_iter_append_basic(&v, DBUS_TYPE_BOOLEAN, &no);
    } else if (name == "Menu") {
        const char* path = "/NO_DBUSMENU";
        dbus_message_iter_open_container(into, DBUS_TYPE_VARIANT, "o", &v);
        dbus_message_iter_append_basic(&v, DBUS_TYPE_OBJECT_PATH, &path);
    } else if (name == "IconPixmap") {
        dbus_message_iter_open_container(into, DBUS_TYPE_VARIANT, "a(iiay)", &v);
        appendPixmaps(&v, &icon.image);
    } else {  // ToolTip: (icon name, icon pixmaps, title, text)
        DBusMessageIter tip;
        dbus_message_iter_open_container(into, DBUS_TYPE_VARIANT, "(sa(iiay)ss)", &v);
        dbus_message_iter_open_container(&v, DBUS_TYPE_STRUCT, nullptr, &tip);
        appendString(&tip, "");
        appendPixmaps(&tip, nullptr);
        appendString(&tip, icon.tooltip);
        appendString(&tip, "");
        dbus_message_iter_close_container(&v, &tip);
    }
    dbus_message_iter_close_container(into, &v);
}

DBusHandlerResult SniTray::handle(DBusMessage* message) {
    if (dbus_message_is_signal(message, "org.freedesktop.DBus", "NameOwnerChanged")) {
        const char *name = nullptr, *before = nullptr, *after = nullptr;
        if (dbus_message_get_args(message, nullptr, DBUS_TYPE_STRING, &name, DBUS_TYPE_STRING,
                                  &before, DBUS_TYPE_STRING, &after, DBUS_TYPE_INVALID) &&
            std::string(name) == kWatcher && after && *after) {
            for (const auto& [number, icon] : icons_) registerWithWatcher(icon.service);
        }
        return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
    }
    if (dbus_message_get_type(message) != DBUS_MESSAGE_TYPE_METHOD_CALL) {
        return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
    }
    const char* destination = dbus_message_get_destination(message);
    const char* path = dbus_message_get_path(message);
    if (!destination || !path || std::string(path) != kPath) {
        return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
    }
    // Hosts call the name the item registered; one that calls our unique name reaches the
    // first icon.
    const Icon* icon = nullptr;
    int number = 0;
    for (const auto& [n, i] : icons_) {
        if (i.service == destination ||
            (!icon && std::string(destination) == dbus_bus_get_unique_name(bus_))) {
            icon = &i;
            number = n;
            if (i.service == destination) break;
        }
    }
    if (!icon) return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
    DBusMessage* reply = nullptr;
    const char* member = dbus_message_get_member(message);
    std::string call = member ? member : "";
    if (dbus_message_is_method_call(message, "org.freedesktop.DBus.Introspectable", "Introspect")) {
        reply = dbus_message_new_method_return(message);
        dbus_message_append_args(reply, DBUS_TYPE_STRING, &kIntrospection, DBUS_TYPE_INVALID);
    } else if (dbus_message_is_method_call(message, kProperties, "Get")) {
        const char *interface = nullptr, *property = nullptr;
        bool known = false;
        if (dbus_message_get_args(message, nullptr, DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING,
                                  &property, DBUS_TYPE_INVALID)) {
            for (const char* name : kPropertyNames) known = known || std::string(name) == property;
        }
        if (known) {
            reply = dbus_message_new_method_return(message);
            DBusMessageIter it;
            dbus_message_iter_init_append(reply, &it);
            appendProperty(&it, *icon, property);
        } else {
            reply = dbus_message_new_error(message, "org.freedesktop.DBus.Error.UnknownProperty",
                                           "no such property");
        }
    } else if (dbus_message_is_method_call(message, kProperties, "GetAll")) {
        reply = dbus_message_new_method_return(message);
        DBusMessageIter it, all, entry;
        dbus_message_iter_init_append(reply, &it);
        dbus_message_iter_open_container(&it, DBUS_TYPE_ARRAY, "{sv}", &all);
        for (const char* name : kPropertyNames) {
            dbus_message_iter_open_container(&all, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
            appendString(&entry, name);
            appendProperty(&entry, *icon, name);
            dbus_message_iter_close_container(&all, &entry);
        }
        dbus_message_iter_close_container(&it, &all);
    } else if (dbus_message_has_interface(message, kItem) &&
               (call == "Activate" || call == "ContextMenu" || call == "SecondaryActivate" ||
                call == "Scroll")) {
        reply = dbus_message_new_method_return(message);
        if (call == "Activate") deliver_(number, SYSMSG_MOUSE_LBUTTONDBLCLK);
        if (call == "ContextMenu") deliver_(number, SYSMSG_MOUSE_RBUTTONUP);
        if (call == "SecondaryActivate") deliver_(number, SYSMSG_MOUSE_MBUTTONUP);
    } else {
        return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
    }
    if (!dbus_message_get_no_reply(message)) dbus_connection_send(bus_, reply, nullptr);
    dbus_message_unref(reply);
    return DBUS_HANDLER_RESULT_HANDLED;
}

}  // namespace syslite
