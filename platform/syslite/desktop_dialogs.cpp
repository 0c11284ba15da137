#include "platform/syslite/desktop_dialogs.h"

#include "platform/shared/host_windows.h"
#include "platform/syslite/settings.h"
#include "runtime/ansi.h"

namespace syslite {
namespace {

const host_windows* desktopHost() {
    if (headless()) return nullptr;
    return host_windows_find();
}

int entryKind(MenuTable::Item::Kind kind) {
    switch (kind) {
        case MenuTable::Item::Kind::Divider:
            return HOST_MENU_DIVIDER;
        case MenuTable::Item::Kind::Submenu:
            return HOST_MENU_GROUP;
        case MenuTable::Item::Kind::Item:
            break;
    }
    return HOST_MENU_ITEM;
}

}  // namespace

std::optional<bool> desktopBox(bool confirm, bool warning, const std::string& title,
                               const std::string& text) {
    const host_windows* host = desktopHost();
    if (!host) return std::nullopt;
    const std::string utf8Title = rt::ansiToUtf8(title);
    const std::string utf8Text = rt::ansiToUtf8(text);
    host_box box{confirm ? HOST_BOX_CONFIRM : HOST_BOX_MESSAGE, warning ? 1 : 0, utf8Title.c_str(),
                 utf8Text.c_str()};
    const int answer = host->show_box(&box);
    if (answer == HOST_BOX_NOT_SHOWN) return std::nullopt;
    return answer == HOST_BOX_YES;
}

std::optional<int> desktopMenu(const std::vector<MenuTable::Shown>& entries) {
    const host_windows* host = desktopHost();
    if (!host) return std::nullopt;
    std::vector<std::string> labels;
    labels.reserve(entries.size());
    for (const MenuTable::Shown& e : entries) labels.push_back(rt::ansiToUtf8(e.label));
    std::vector<host_menu_entry> shown;
    for (size_t i = 0; i < entries.size(); ++i) {
        shown.push_back(
            {entryKind(entries[i].kind), entries[i].depth, entries[i].id, labels[i].c_str()});
    }
    int chosen = HOST_MENU_NOTHING;
    if (!host->show_menu(shown.data(), shown.size(), &chosen)) return std::nullopt;
    return chosen;
}

}  // namespace syslite
