#pragma once

#include <string>
#include <string_view>

namespace platform {

// Writes one readable line "<library>: <text>" to standard error and, when the environment
// variable MORVICK_PLATFORM_LOG names a file, appends it there too. Safe from any thread.
void log(std::string_view library, std::string_view text);

// A text in double quotes with quotes, backslashes and control characters escaped, for log lines.
std::string quoted(std::string_view text);

}  // namespace platform
