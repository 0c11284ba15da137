#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace download {

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
