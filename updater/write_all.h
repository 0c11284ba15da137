#pragma once

#include <string_view>

namespace haldor {

// Writes the whole text to the descriptor, going on after short writes; stops at the first
// failed write (a closed terminal or pipe has no one left to read the rest).
void WriteAll(int fd, std::string_view text);

}  // namespace haldor
