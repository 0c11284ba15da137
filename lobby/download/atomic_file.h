#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace download {

// Several files replaced together: each new file is put beside its target first, then the file
// system is flushed once, then every one is renamed over its target and the folders that changed
// are flushed. A new file is a hard link to its source when both lie on one file system (the
// source must then be complete and never be written in place again), else a copy. Files put but
// not committed are removed when the object goes.
//
// A replaced file keeps the permissions of the file it replaces; a file that did not exist gets
// 0755 when its content starts with an ELF header or "#!", else 0644.
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

// The permissions a new file with this first content gets (see above).
unsigned newFileMode(std::string_view head);

}  // namespace download
