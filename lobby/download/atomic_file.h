#pragma once

#include <string>
#include <string_view>

namespace download {

// Replaces `path` with `text`: writes a sibling file, flushes it to disk and renames it over the
// target, so a crash leaves the old or the new file, never a torn one.
void saveAtomically(const std::string& path, std::string_view text);

// Copies `from` to `to` the same way: the copy is complete before it takes the target's name.
void copyAtomically(const std::string& from, const std::string& to);

}  // namespace download
