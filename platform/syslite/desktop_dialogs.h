// Message boxes and popup menus on the desktop: shown by the process's browser host when the
// program runs on a display and the host has registered its boxes and menus
// (platform/shared/host_windows.h). Otherwise (headless, no display, no host, or the host could
// not show one) these answer nothing and the primitives log the question and answer it from the
// answers file, as they always have.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/syslite/menu_table.h"

namespace syslite {

// The answer of a box the player saw: true for OK or yes, false for no or a closed box. The
// texts are in the program's ANSI code page, as the program passes them.
std::optional<bool> desktopBox(bool confirm, bool warning, const std::string& title,
                               const std::string& text);

// The id the player chose in the menu (0: dismissed), when it was shown.
std::optional<int> desktopMenu(const std::vector<MenuTable::Shown>& entries);

}  // namespace syslite
