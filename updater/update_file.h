#pragma once

#include <cstdint>
#include <string>

#include "updater/local_file.h"

namespace haldor {

// The three folders a manifest entry can be installed below.
struct InstallFolders {
    std::string own;      // the updater's folder, without a trailing separator
    std::string windows;  // "WINDOWSDIR"
    std::string system;   // "SYSTEMDIR"
};

// One file named by a file list.
struct CUpdateFile {
    std::string file_name;
    std::string file_version;
    std::string product_version;
    std::string install_dir = "CURRENTDIR";
    std::string local_path;
    std::string md5;
    std::uint64_t length = 0;
    FileTime file_time;
    std::string target_path;
    bool needs_update = false;

    // Base folder by `install_dir`, then the local path when not empty, then the file name.
    void ComputeTargetPath(const InstallFolders& folders);

    // False when the file name or the local path is absolute, climbs out of its base folder or
    // holds a control character, or when the file name names a folder ("", "a/", "a/."); such an
    // entry must never be written.
    bool IsSafe() const;

    // A missing target needs an update; an existing one needs it only when its modification
    // time differs from the entry's and `newer_or_equal` is false.
    bool DecideNeedsUpdate(bool newer_or_equal) const;
};

}  // namespace haldor
