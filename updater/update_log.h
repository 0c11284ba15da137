#pragma once

#include <string>

namespace haldor {

// Appends "<local time> <text>\n" to the log, the time as "%d-%02d-%02d %02d:%02d:%02d".
void AppendLogLine(const std::string& log_path, const std::string& text);

}  // namespace haldor
