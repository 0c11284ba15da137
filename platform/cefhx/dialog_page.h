// The pages of the host's own boxes and menus: generated HTML in which every text of the caller
// is escaped as element text, and one fixed script that answers through the page bridge
// ("answer" with 1 or 0 for a box, "choose" with an item id or 0 for a menu).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cefhx {

struct BoxRequest {
    bool confirm = false;  // yes and no; else one OK button
    bool warning = false;
    std::string title;
    std::string text;
};

struct MenuEntry {
    enum class Kind { Item, Divider, Group } kind = Kind::Item;
    int depth = 0;
    int id = 0;
    std::string label;
};

struct DialogPage {
    std::string html;
    int width = 0;
    int height = 0;
};

// The text as HTML element or attribute text: & < > " ' escaped, invalid UTF-8 repaired.
std::string htmlText(std::string_view text);

DialogPage boxPage(const BoxRequest& box);
DialogPage menuPage(const std::vector<MenuEntry>& entries);

}  // namespace cefhx
