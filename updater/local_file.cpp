#include "updater/local_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "updater/md5_digest.h"

namespace haldor {
namespace {

// 100-nanosecond intervals from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kUnixEpochTicks = 116444736000000000LL;

FileTime ToFileTime(const timespec& ts) {
    std::int64_t ticks = ts.tv_sec * 10000000LL + ts.tv_nsec / 100 + kUnixEpochTicks;
    auto u = static_cast<std::uint64_t>(ticks);
    return {static_cast<std::uint32_t>(u), static_cast<std::uint32_t>(u >> 32)};
}

// Any pair of halves is a valid time: the count is unsigned, so it is split into seconds before
// the epoch is taken off (no signed overflow for a high half of 2^31 or more).
timespec ToTimespec(FileTime time) {
    std::uint64_t ticks = (static_cast<std::uint64_t>(time.high) << 32) | time.low;
    auto seconds_since_1601 = static_cast<std::int64_t>(ticks / 10000000ULL);
    auto rest = static_cast<long>(ticks % 10000000ULL);
    std::int64_t seconds = seconds_since_1601 - kUnixEpochTicks / 10000000LL;
    return {static_cast<time_t>(seconds), rest * 100};
}

}  // namespace

std::string DiskPath(const std::string& path) {
    std::string disk = path;
    for (auto& c : disk)
        if (c == '\\') c = '/';
    return disk;
}

bool FileExists(const std::string& path) {
    int fd = ::open(DiskPath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool regular = ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
    ::close(fd);
    return regular;
}

std::optional<LocalFileInfo> ReadLocalFile(const std::string& path) {
    struct stat st {};
    std::string disk = DiskPath(path);
    if (::stat(disk.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return std::nullopt;
    auto md5 = MD5_CTX::FileDigest(disk);
    if (!md5) return std::nullopt;
    return LocalFileInfo{static_cast<std::uint64_t>(st.st_size), ToFileTime(st.st_mtim), *md5};
}

bool SetFileTimes(const std::string& path, FileTime time) {
    timespec times[2] = {ToTimespec(time), ToTimespec(time)};
    return ::utimensat(AT_FDCWD, DiskPath(path).c_str(), times, 0) == 0;
}

bool TakePermissions(const std::string& download, const std::string& target) {
    struct stat st {};
    mode_t mode = ::stat(DiskPath(target).c_str(), &st) == 0 ? (st.st_mode & 07777) : 0755;
    return ::chmod(DiskPath(download).c_str(), mode) == 0;
}

bool CreateFoldersFor(const std::string& file) {
    std::string disk = DiskPath(file);
    for (auto slash = disk.find('/', 1); slash != std::string::npos;
         slash = disk.find('/', slash + 1)) {
        std::string folder = disk.substr(0, slash);
        if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    return true;
}

}  // namespace haldor
