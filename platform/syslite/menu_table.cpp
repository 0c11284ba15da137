#include "platform/syslite/menu_table.h"

#include "platform/shared/platform_log.h"

namespace syslite {
namespace {

// Sub-menus may be nested, and even attached in a cycle; walks stop at this depth.
constexpr int kMaxDepth = 8;

}  // namespace

MenuTable& MenuTable::instance() {
    static MenuTable table;
    return table;
}

int MenuTable::create(bool popup) {
    std::lock_guard<std::mutex> guard(lock_);
    menus_[++last_].popup = popup;
    return last_;
}

bool MenuTable::destroy(int number) {
    std::lock_guard<std::mutex> guard(lock_);
    return menus_.erase(number) > 0;
}

bool MenuTable::add(int number, Item item) {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = menus_.find(number);
    if (it == menus_.end()) return false;
    it->second.items.push_back(std::move(item));
    return true;
}

bool MenuTable::setBarOwner(int number, uint32_t owner) {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = menus_.find(number);
    if (it == menus_.end()) return false;
    it->second.barOwner = owner;
    return true;
}

std::optional<MenuTable::Menu> MenuTable::find(int number) const {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = menus_.find(number);
    if (it == menus_.end()) return std::nullopt;
    return it->second;
}

std::string MenuTable::describe(int number) const {
    std::lock_guard<std::mutex> guard(lock_);
    return describeLocked(number, 0);
}

std::string MenuTable::describeLocked(int number, int depth) const {
    auto it = menus_.find(number);
    if (it == menus_.end()) return "(menu " + std::to_string(number) + " is gone)";
    if (depth > kMaxDepth) return "...";
    std::string out;
    for (const Item& item : it->second.items) {
        if (!out.empty()) out += " | ";
        switch (item.kind) {
            case Item::Kind::Item:
                out += std::to_string(item.id) + " " + platform::quoted(item.label);
                break;
            case Item::Kind::Divider:
                out += "--";
                break;
            case Item::Kind::Submenu:
                out += std::to_string(item.id) + " " + platform::quoted(item.label) + " [ " +
                       describeLocked(item.submenu, depth + 1) + " ]";
                break;
        }
    }
    return out.empty() ? "(empty)" : out;
}

std::vector<MenuTable::Shown> MenuTable::flatten(int number) const {
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<Shown> out;
    flattenLocked(number, 0, out);
    return out;
}

void MenuTable::flattenLocked(int number, int depth, std::vector<Shown>& out) const {
    auto it = menus_.find(number);
    if (it == menus_.end() || depth > kMaxDepth) return;
    for (const Item& item : it->second.items) {
        out.push_back({item.kind, depth, item.id, item.label});
        if (item.kind == Item::Kind::Submenu) flattenLocked(item.submenu, depth + 1, out);
    }
}

int MenuTable::choose(int number, const std::string& answer) const {
    std::lock_guard<std::mutex> guard(lock_);
    return chooseLocked(number, answer, 0);
}

int MenuTable::chooseLocked(int number, const std::string& answer, int depth) const {
    auto it = menus_.find(number);
    if (it == menus_.end() || depth > kMaxDepth || answer.empty()) return 0;
    for (const Item& item : it->second.items) {
        if (item.kind == Item::Kind::Item &&
            (std::to_string(item.id) == answer || item.label == answer)) {
            return item.id;
        }
        if (item.kind == Item::Kind::Submenu) {
            if (int chosen = chooseLocked(item.submenu, answer, depth + 1)) return chosen;
        }
    }
    return 0;
}

}  // namespace syslite
