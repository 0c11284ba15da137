#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace syslite {

// The native menus the program built: items, sub-menus and dividers with the program's ids.
// Nothing is drawn; a popup is "shown" by logging it and answered from the answers file.
class MenuTable {
public:
    struct Item {
        enum class Kind { Item, Submenu, Divider } kind = Kind::Item;
        std::string label;
        int id = 0;
        int submenu = 0;  // menu number of a sub-menu
    };
    struct Menu {
        bool popup = false;
        std::vector<Item> items;
        uint32_t barOwner = 0;  // window whose menu bar this menu is
    };

    static MenuTable& instance();

    // Answers the new menu's number (1, 2, ...; never reused).
    int create(bool popup);
    bool destroy(int number);
    bool add(int number, Item item);
    bool setBarOwner(int number, uint32_t owner);
    std::optional<Menu> find(int number) const;

    // The menu as it is shown, flat: a sub-menu is its item (kind Submenu) followed by its own
    // items one level deeper.
    struct Shown {
        Item::Kind kind = Item::Kind::Item;
        int depth = 0;
        int id = 0;
        std::string label;
    };
    std::vector<Shown> flatten(int number) const;

    // One line listing the menu's items: 9004 "About" | -- | sub "More" [ 7 "x" ].
    std::string describe(int number) const;
    // The id of the item an answer names, by id or by label, searched in the menu and its
    // sub-menus; 0 when the answer names none (nothing chosen).
    int choose(int number, const std::string& answer) const;

private:
    std::string describeLocked(int number, int depth) const;
    int chooseLocked(int number, const std::string& answer, int depth) const;
    void flattenLocked(int number, int depth, std::vector<Shown>& out) const;

    mutable std::mutex lock_;
    std::map<int, Menu> menus_;
    int last_ = 0;
};

}  // namespace syslite
