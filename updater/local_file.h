#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace haldor {

// A file time as the two 32-bit halves of a count of 100-nanosecond intervals since 1601-01-01.
struct FileTime {
    std::uint32_t low = 0;
    std::uint32_t high = 0;
    bool operator==(const FileTime&) const = default;
};

// What the updater learns of a file already installed.
struct LocalFileInfo {
    std::uint64_t length = 0;
    FileTime write_time;
    std::string md5;
};

// Paths in manifests may use "\" as separator; on disk it is "/".
std::string DiskPath(const std::string& path);

// True when the file can be opened for reading.
bool FileExists(const std::string& path);

// Length, modification time and MD5, or nothing when the file cannot be opened and read.
std::optional<LocalFileInfo> ReadLocalFile(const std::string& path);

// Sets the file's access and modification times.
bool SetFileTimes(const std::string& path, FileTime time);

// Gives a downloaded file the permissions of the file it will replace, or, when there is none,
// read and execute for everybody: any installed file may be a program.
bool TakePermissions(const std::string& download, const std::string& target);

// Creates every folder along the path of `file` (not the file itself).
bool CreateFoldersFor(const std::string& file);

}  // namespace haldor
