#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rt {

// The environment variable `name` when it is set. The Windows folder variables "SystemRoot",
// "APPDATA" and "ProgramFiles" fall back to per-user folders under the XDG data folder
// ($XDG_DATA_HOME, or ~/.local/share): "<data>/morvick/SystemRoot", "<data>/morvick/AppData" and
// "<data>/morvick/ProgramFiles". Those folders are created on lookup, as they always exist where
// the names come from. Any other unset name answers nothing.
std::optional<std::string> env(std::string_view name);

}  // namespace rt
