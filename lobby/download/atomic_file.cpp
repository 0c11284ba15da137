#include "lobby/download/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>

#include "runtime/file_system.h"
#include "runtime/io_error.h"

namespace download {
namespace {

std::string siblingName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return path + ".part" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
}

void fail(const std::string& what, const std::string& path) {
    throw rt::IoError("Could not " + what + " " + path + ": " + std::strerror(errno));
}

// Writes a new sibling of `target` through `fill` and answers its name.
template <class Fill>
std::string writeSibling(const std::string& target, Fill fill) {
    std::string temp = siblingName(target);
    std::string disk = rt::FileSystem::diskPath(temp);
    int fd = ::open(disk.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) fail("create", temp);
    try {
        fill(fd, temp);
    } catch (...) {
        ::close(fd);
        ::unlink(disk.c_str());
        throw;
    }
    if (::close(fd) != 0) {
        ::unlink(disk.c_str());
        fail("close", temp);
    }
    return temp;
}

void moveOver(const std::string& temp, const std::string& target) {
    std::string disk = rt::FileSystem::diskPath(temp);
    try {
        rt::FileSystem::rename(temp, target);
    } catch (...) {
        ::unlink(disk.c_str());
        throw;
    }
}

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

// Copies `from` into a new sibling of `to` and answers the sibling's name.
std::string copyBeside(const std::string& from, const std::string& to) {
    int in = ::open(rt::FileSystem::diskPath(from).c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) fail("open", from);
    std::string temp;
    try {
        temp = writeSibling(to, [&](int fd, const std::string& temp) {
            std::vector<char> buffer(1 << 16);
            for (;;) {
                ssize_t n = ::read(in, buffer.data(), buffer.size());
                if (n < 0) {
                    if (errno == EINTR) continue;
                    fail("read", from);
                }
                if (n == 0) break;
                writeAll(fd, buffer.data(), static_cast<size_t>(n), temp);
            }
        });
    } catch (...) {
        ::close(in);
        throw;
    }
    ::close(in);
    return temp;
}

}  // namespace

FileSetReplacement::~FileSetReplacement() {
    for (const auto& [temp, target] : staged_) ::unlink(rt::FileSystem::diskPath(temp).c_str());
}

void FileSetReplacement::copy(const std::string& from, const std::string& to) {
    staged_.emplace_back(copyBeside(from, to), to);
}

void FileSetReplacement::commit() {
    if (staged_.empty()) return;
    int fd = ::open(rt::FileSystem::diskPath(staged_.front().first).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail("open", staged_.front().first);
    int synced = ::syncfs(fd);
    ::close(fd);
    if (synced != 0) fail("flush the file system of", staged_.front().first);
    while (!staged_.empty()) {
        auto [temp, target] = staged_.front();
        staged_.erase(staged_.begin());
        moveOver(temp, target);
    }
}

}  // namespace download
