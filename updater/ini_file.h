#pragma once

#include <cstddef>
#include <string>

namespace haldor {

// Private-profile INI files as the updater keeps its state in them: section and key names
// compare without regard to case, values are trimmed, a value read into a buffer of N characters
// keeps at most N - 1 of them, and a missing file, section or key gives the default.
std::string GetProfileString(const std::string& path, const std::string& section,
                             const std::string& key, const std::string& fallback,
                             std::size_t buffer_chars);

// Sets one value, adding the section and the key when missing and keeping every other line.
// The file is replaced as a whole (written beside it, then renamed over it), so a crash leaves
// either the old or the new file. Returns false when the file cannot be written, and writes
// nothing when the names or the value would not read back as given: a CR, LF or NUL anywhere, an
// empty name, blanks around a name or the value, "]" in the section, "=" in the key or "[" in
// front of it, or a value in quotes.
bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value);

}  // namespace haldor
