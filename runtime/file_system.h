#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rt {

// Folder-level operations. Every path accepts "\" and "/" alike; both mean "/" on disk.
// Failures throw rt::IoError naming the operation and the path.
class FileSystem {
public:
    // The on-disk form of a path: every "\" turned into "/".
    static std::string diskPath(std::string_view path);

    // True for an existing file or folder.
    static bool exists(std::string_view path);
    static bool isDirectory(std::string_view path);

    // Creates the folder and any missing parents; an existing folder is fine.
    static void createDirectory(std::string_view path);
    // Names of the folder's entries (without "." and ".."), sorted by name.
    static std::vector<std::string> readDirectory(std::string_view path);
    static void deleteFile(std::string_view path);
    // Removes an empty folder.
    static void deleteDirectory(std::string_view path);
    static void rename(std::string_view from, std::string_view to);

    static std::string currentDirectory();
    static void setCurrentDirectory(std::string_view path);
    // Full path of the running program.
    static std::string executablePath();
};

}  // namespace rt
