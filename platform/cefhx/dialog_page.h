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

// The pages' sizes in pixels: a box's height is its frame and one line per line of text (up to
// boxMaxLines, boxColumns narrow characters a line); a menu's is its frame (border and padding)
// and its rows and dividers. Its rows start menuFrame / 2 below its top.
struct DialogLayout {
    int boxWidth = 380, boxFrame = 118, boxLine = 20, boxColumns = 46, boxMaxLines = 12;
    int menuRow = 26, menuDivider = 9, menuFrame = 10, menuIndent = 14;
    int menuMinWidth = 140, menuMaxWidth = 480, menuMaxHeight = 600;
};
inline constexpr DialogLayout kDialogLayout{};

struct DialogPage {
    std::string html;
    int width = 0;
    int height = 0;
};

// The text as HTML element text or a quoted attribute value: invalid UTF-8 and NUL characters
// replaced by U+FFFD, & < > " and blanks escaped as XML text is (rt::escapeXmlText).
std::string htmlText(std::string_view text);

DialogPage boxPage(const BoxRequest& box);
DialogPage menuPage(const std::vector<MenuEntry>& entries);

}  // namespace cefhx
