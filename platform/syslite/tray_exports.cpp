// The tray icon and menu primitives of libsyslite.so.
#include "platform/shared/primitive_export.h"
#include "platform/syslite/desktop_dialogs.h"
#include "platform/syslite/menu_table.h"
#include "platform/syslite/settings.h"
#include "platform/syslite/sni_tray.h"
#include "platform/syslite/tray_icons.h"
#include "platform/syslite/window_handle.h"
#include "platform/syslite/x11_tray.h"

namespace {

using platform::quoted;
using platform::text;
using rt::fromC;
using rt::Value;
using syslite::MenuTable;
using syslite::TrayIcons;

constexpr const char* kLib = "syslite";
const char kTrayKind = 't';
const char kMenuKind = 'm';

void log(const std::string& line) {
    platform::log(kLib, line);
}

std::string menuName(int number) {
    return "menu " + std::to_string(number);
}

int menuNumber(const Value& v, const char* primitive) {
    int number = platform::handleNumber(&kMenuKind, v);
    if (number < 0 || !MenuTable::instance().find(number)) {
        log(std::string(primitive) + ": " + v.toString() + " is no live menu");
        return -1;
    }
    return number;
}

::value systray_create_icon(::value owner, ::value icon, ::value tip) {
    return platform::guarded(kLib, "systray_create_icon", [&] {
        TrayIcons::Icon made{syslite::windowHandle(fromC(owner)), text(fromC(icon)),
                             text(fromC(tip))};
        std::string line = " on window " + std::to_string(made.owner) + ", icon " +
                           quoted(made.iconPath) + ", tool tip " + quoted(made.tooltip);
        std::string iconPath = made.iconPath, tooltip = made.tooltip;
        int number = TrayIcons::instance().add(std::move(made));
        log("tray icon " + std::to_string(number) + " created" + line);
        // A status notifier watcher on the session bus is the desktop's tray; else the X tray.
        if (syslite::SniTray* sni = syslite::SniTray::onSession()) {
            sni->show(number, syslite::loadIconFile(iconPath), tooltip);
        } else if (syslite::X11Tray* tray = syslite::X11Tray::onDisplay()) {
            tray->show(number, syslite::loadIconFile(iconPath), tooltip);
        }
        TrayIcons::instance().scheduleConfiguredClick(number);
        return platform::makeHandle(&kTrayKind, number);
    });
}

::value systray_destroy_icon(::value icon) {
    return platform::guarded(kLib, "systray_destroy_icon", [&] {
        int number = platform::handleNumber(&kTrayKind, fromC(icon));
        if (number >= 0 && TrayIcons::instance().remove(number)) {
            if (syslite::SniTray* sni = syslite::SniTray::existing()) sni->hide(number);
            if (syslite::X11Tray* tray = syslite::X11Tray::onDisplay()) tray->hide(number);
            log("tray icon " + std::to_string(number) + " removed");
        } else {
            log("systray_destroy_icon: " + fromC(icon).toString() + " is no live tray icon");
        }
        return Value();
    });
}

::value systray_menu_callback() {
    log("systray_menu_callback called; it has nothing to do");
    return rt::toC(Value());
}

::value win_menu_create() {
    return platform::guarded(kLib, "win_menu_create", [&] {
        int number = MenuTable::instance().create(false);
        log(menuName(number) + " created (menu bar)");
        return platform::makeHandle(&kMenuKind, number);
    });
}

::value win_popup_menu_create() {
    return platform::guarded(kLib, "win_popup_menu_create", [&] {
        int number = MenuTable::instance().create(true);
        log(menuName(number) + " created (popup)");
        return platform::makeHandle(&kMenuKind, number);
    });
}

::value win_add_menu_item(::value menu, ::value label, ::value id) {
    return platform::guarded(
        kLib, "win_add_menu_item",
        [&] {
            int number = menuNumber(fromC(menu), "win_add_menu_item");
            if (number < 0) return Value(0);
            MenuTable::Item item{MenuTable::Item::Kind::Item, text(fromC(label)), fromC(id).toInt(),
                                 0};
            log(menuName(number) + ": item " + std::to_string(item.id) + " " + quoted(item.label));
            MenuTable::instance().add(number, std::move(item));
            return Value(1);
        },
        Value(0));
}

::value win_add_menu_submenu(::value menu, ::value sub, ::value label, ::value id) {
    return platform::guarded(
        kLib, "win_add_menu_submenu",
        [&] {
            int number = menuNumber(fromC(menu), "win_add_menu_submenu");
            int subNumber = menuNumber(fromC(sub), "win_add_menu_submenu");
            if (number < 0 || subNumber < 0) return Value(0);
            MenuTable::Item item{MenuTable::Item::Kind::Submenu, text(fromC(label)),
                                 fromC(id).toInt(), subNumber};
            log(menuName(number) + ": sub-menu " + std::to_string(item.id) + " " +
                quoted(item.label) + " is " + menuName(subNumber));
            MenuTable::instance().add(number, std::move(item));
            return Value(1);
        },
        Value(0));
}

::value win_add_menu_divider(::value menu, ::value id) {
    return platform::guarded(
        kLib, "win_add_menu_divider",
        [&] {
            int number = menuNumber(fromC(menu), "win_add_menu_divider");
            if (number < 0) return Value(0);
            MenuTable::Item item{MenuTable::Item::Kind::Divider, "", fromC(id).toInt(), 0};
            log(menuName(number) + ": divider " + std::to_string(item.id));
            MenuTable::instance().add(number, std::move(item));
            return Value(1);
        },
        Value(0));
}

::value win_show_menu(::value owner, ::value menu) {
    return platform::guarded(
        kLib, "win_show_menu",
        [&] {
            int number = menuNumber(fromC(menu), "win_show_menu");
            uint32_t window = syslite::windowHandle(fromC(owner));
            if (number < 0) return Value(0);
            MenuTable::instance().setBarOwner(number, window);
            log(menuName(number) + " is the menu bar of window " + std::to_string(window) + ": " +
                MenuTable::instance().describe(number));
            return Value(1);
        },
        Value(0));
}

::value win_show_popup_menu(::value owner, ::value menu) {
    return platform::guarded(
        kLib, "win_show_popup_menu",
        [&] {
            int number = menuNumber(fromC(menu), "win_show_popup_menu");
            uint32_t window = syslite::windowHandle(fromC(owner));
            if (number < 0) return Value(0);
            log(menuName(number) + " shown as a popup on window " + std::to_string(window) + ": " +
                MenuTable::instance().describe(number));
            // On the desktop the player chooses; otherwise the answers file does.
            std::optional<int> chosen = syslite::desktopMenu(MenuTable::instance().flatten(number));
            if (!chosen) {
                std::optional<std::string> answer = syslite::Answers::instance().next("menu");
                chosen = answer ? MenuTable::instance().choose(number, *answer) : 0;
            }
            log(menuName(number) + " closed, " +
                (*chosen ? "item " + std::to_string(*chosen) + " chosen" : "nothing chosen"));
            return Value(*chosen);
        },
        Value(0));
}

::value win_destroy_menu(::value menu) {
    return platform::guarded(kLib, "win_destroy_menu", [&] {
        int number = platform::handleNumber(&kMenuKind, fromC(menu));
        if (number >= 0 && MenuTable::instance().destroy(number)) {
            log(menuName(number) + " destroyed");
        } else {
            log("win_destroy_menu: " + fromC(menu).toString() + " is no live menu");
        }
        return Value();
    });
}

}  // namespace

MORVICK_PRIMITIVE(systray_create_icon, 3)
MORVICK_PRIMITIVE(systray_destroy_icon, 1)
MORVICK_PRIMITIVE(systray_menu_callback, 0)
MORVICK_PRIMITIVE(win_menu_create, 0)
MORVICK_PRIMITIVE(win_popup_menu_create, 0)
MORVICK_PRIMITIVE(win_add_menu_item, 3)
MORVICK_PRIMITIVE(win_add_menu_submenu, 4)
MORVICK_PRIMITIVE(win_add_menu_divider, 2)
MORVICK_PRIMITIVE(win_show_menu, 2)
MORVICK_PRIMITIVE(win_show_popup_menu, 2)
MORVICK_PRIMITIVE(win_destroy_menu, 1)
