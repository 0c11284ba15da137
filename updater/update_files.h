#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "updater/update_file.h"

namespace haldor {

// The manifest: what the server's version file and file list say.
class CUpdateFiles {
public:
    explicit CUpdateFiles(InstallFolders folders);

    // Clears the list and loads `path`. As a version file it reads the list version and, the
    // first time in the life of this object, the maximum version, and answers false; as a file
    // list it reads every `File` element and answers true, false when the file cannot be read.
    bool Load(const std::string& path, bool version_file);
    // The same for the bytes of such a file.
    bool LoadBytes(const std::string& bytes, bool version_file);

    // Reads the eight server addresses of the version file at `path`, or in `bytes`.
    void ReadProduct(const std::string& path);
    void ReadProductBytes(const std::string& bytes);

    // Decides every entry, drops those that need nothing and answers how many remain. Entries
    // that must never be written are kept, so that they fail like a download.
    std::size_t CountToUpdate(bool newer_or_equal);
    std::uint64_t TotalLength();
    std::unique_ptr<CUpdateFile> PopFront();
    void Clear();

    std::string list_version() const { return list_version_; }
    void clear_list_version() { list_version_.clear(); }
    // In its canonical decimal form; empty when none was read or it was not a number.
    std::string max_version() const { return max_version_; }
    // Server address n = 1 ... 8.
    std::string server(int n) const { return servers_[static_cast<std::size_t>(n - 1)]; }

private:
    InstallFolders folders_;
    std::mutex mutex_;
    std::deque<std::unique_ptr<CUpdateFile>> files_;
    std::string list_version_;
    std::string max_version_;
    bool max_version_unread_ = true;
    std::array<std::string, 8> servers_;
};

}  // namespace haldor
