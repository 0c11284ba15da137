#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace download {

// Replaces `path` with `text`: writes a sibling file, flushes it to disk and renames it over the
// target, so a crash leaves the old or the new file, never a torn one.
void saveAtomically(const std::string& path, std::string_view text);

// Several files replaced together with one flush: each is copied beside its target first, then
// everything is flushed to disk once, then each copy is renamed over its target. Copies not
// committed are removed when the object goes.
class FileSetReplacement {
public:
    FileSetReplacement() = default;
    ~FileSetReplacement();
    FileSetReplacement(const FileSetReplacement&) = delete;
    FileSetReplacement& operator=(const FileSetReplacement&) = delete;

    void copy(const std::string& from, const std::string& to);
    void commit();

private:
    std::vector<std::pair<std::string, std::string>> staged_;  // sibling, target
};

}  // namespace download
