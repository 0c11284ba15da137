#pragma once

#include <optional>
#include <string>

namespace syslite {

// Replaces the file's content as one step: the text goes to a new file beside it, is flushed to
// disk and renamed over the old one, so a crash leaves either the old or the new content. The
// folder is created when missing; a new file is readable by the user alone. Failures throw
// std::runtime_error naming the path.
void writeFileAtomically(const std::string& path, const std::string& text);

// The whole content of a file, or nothing when it does not exist. Other failures throw.
std::optional<std::string> readFileIfPresent(const std::string& path);

}  // namespace syslite
