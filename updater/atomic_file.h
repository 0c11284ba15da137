#pragma once

#include <string>

namespace haldor {

// Writes `content` to a new file beside `path`, flushes it to disk and renames it over `path`,
// so that `path` holds either its old or its new content at any moment.
bool WriteFileAtomically(const std::string& path, const std::string& content);

// Moves `from` over `to` in one step after flushing `from` to disk; `to` never appears torn.
bool ReplaceFileAtomically(const std::string& from, const std::string& to);

}  // namespace haldor
