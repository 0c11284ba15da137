#include "lobby/download/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <set>
#include <vector>

#include "runtime/file_system.h"
#include "runtime/io_error.h"

namespace download {
namespace {

std::string siblingName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return path + ".part" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
}

[[noreturn]] void fail(const std::string& what, const std::string& path) {
    throw rt::IoError("Could not " + what + " " + path + ": " + std::strerror(errno));
}

// Closes a descriptor when it goes.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closes now; false when the close failed.
    bool close() { return ::close(std::exchange(fd_, -1)) == 0; }

private:
    int fd_;
};

void writeAll(int fd, const char* data, size_t length, const std::string& path) {
    while (length > 0) {
        ssize_t n = ::write(fd, data, length);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("write", path);
        }
        data += n;
        length -= static_cast<size_t>(n);
    }
}

// Copies the open file `in` into the new file `temp`, flushed to disk.
void copyInto(int in, const std::string& from, const std::string& temp) {
    std::string disk = rt::FileSystem::diskPath(temp);
    Fd out(::open(disk.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (out.get() < 0) fail("create", temp);
    try {
        std::vector<char> buffer(1 << 20);
        for (;;) {
            ssize_t n = ::read(in, buffer.data(), buffer.size());
            if (n < 0) {
                if (errno == EINTR) continue;
                fail("read", from);
            }
            if (n == 0) break;
            writeAll(out.get(), buffer.data(), static_cast<size_t>(n), temp);
        }
        if (!out.close()) fail("close", temp);
    } catch (...) {
        ::unlink(disk.c_str());
        throw;
    }
}

// The permissions `target` keeps when it exists, else those its new content `in` calls for.
mode_t modeFor(const std::string& target, int in, const std::string& from) {
    struct stat existing {};
    if (::stat(rt::FileSystem::diskPath(target).c_str(), &existing) == 0) {
        return existing.st_mode & 07777;
    }
    char head[4] = {};
    ssize_t n = ::pread(in, head, sizeof head, 0);
    if (n < 0) fail("read", from);
    return newFileMode(std::string_view(head, static_cast<size_t>(n)));
}

// Puts `from` beside `to` (a hard link, or a copy across file systems) with the permissions
// `to` calls for, and answers the new sibling's name.
std::string putBeside(const std::string& from, const std::string& to) {
    Fd in(::open(rt::FileSystem::diskPath(from).c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) fail("open", from);
    mode_t mode = modeFor(to, in.get(), from);
    std::string temp = siblingName(to);
    std::string disk = rt::FileSystem::diskPath(temp);
    if (::link(rt::FileSystem::diskPath(from).c_str(), disk.c_str()) != 0) {
        if (errno != EXDEV && errno != EPERM && errno != EMLINK) fail("link " + from + " to", temp);
        copyInto(in.get(), from, temp);
    }
    struct stat made {};
    if (::stat(disk.c_str(), &made) == 0 && (made.st_mode & 07777) == mode) return temp;
    if (::chmod(disk.c_str(), mode) != 0) {
        int saved = errno;
        ::unlink(disk.c_str());
        errno = saved;
        fail("set the permissions of", temp);
    }
    return temp;
}

std::string folderOf(const std::string& path) {
    std::string disk = rt::FileSystem::diskPath(path);
    size_t slash = disk.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : disk.substr(0, slash);
}

void flushFolder(const std::string& folder) {
    Fd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0) fail("open the folder", folder);
    if (::fsync(fd.get()) != 0) fail("flush the folder", folder);
}

}  // namespace

unsigned newFileMode(std::string_view head) {
    bool program = head.starts_with(
                       "\x7f"
                       "ELF") ||
                   head.starts_with("#!");
    return program ? 0755 : 0644;
}

FileSetReplacement::~FileSetReplacement() {
    for (const auto& [temp, target] : staged_) ::unlink(rt::FileSystem::diskPath(temp).c_str());
}

void FileSetReplacement::copy(const std::string& from, const std::string& to) {
    staged_.emplace_back(putBeside(from, to), to);
}

void FileSetReplacement::commit() {
    if (staged_.empty()) return;
    // One flush of the installation's file system puts every new content on disk before any
    // file takes its place; it was measured cheaper than a flush per file.
    Fd fd(::open(rt::FileSystem::diskPath(staged_.front().first).c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) fail("open", staged_.front().first);
    if (::syncfs(fd.get()) != 0) fail("flush the file system of", staged_.front().first);
    std::set<std::string> folders;
    while (!staged_.empty()) {
        auto [temp, target] = staged_.front();
        try {
            rt::FileSystem::rename(temp, target);
        } catch (...) {
            ::unlink(rt::FileSystem::diskPath(temp).c_str());
            staged_.erase(staged_.begin());
            throw;
        }
        staged_.erase(staged_.begin());
        folders.insert(folderOf(target));
    }
    for (const std::string& folder : folders) flushFolder(folder);
}

}  // namespace download
