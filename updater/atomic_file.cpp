#include "updater/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace haldor {
namespace {

bool SyncPath(const std::string& path, int flags) {
    int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

std::string FolderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const std::string& content) {
    // Made anew, never through a link left at that name.
    std::string temp = path + ".tmp" + std::to_string(::getpid());
    ::unlink(temp.c_str());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const char* data = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        ssize_t n = ::write(fd, data, left);
        if (n <= 0) {
            ::close(fd);
            ::unlink(temp.c_str());
            return false;
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    bool ok = ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    SyncPath(FolderOf(path), O_RDONLY | O_DIRECTORY);
    return true;
}

bool ReplaceFileAtomically(const std::string& from, const std::string& to) {
    if (!SyncPath(from, O_RDONLY)) return false;
    if (::rename(from.c_str(), to.c_str()) != 0) return false;
    SyncPath(FolderOf(to), O_RDONLY | O_DIRECTORY);
    return true;
}

}  // namespace haldor
