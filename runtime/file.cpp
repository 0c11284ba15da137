#include "runtime/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "runtime/file_system.h"
#include "runtime/io_error.h"

namespace rt {
namespace {

struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, Closer>;

[[noreturn]] void fail(const char* what, std::string_view path, int error) {
    throw IoError(std::string(what) + " " + std::string(path) + ": " + std::strerror(error));
}

FilePtr open(std::string_view path, const char* mode, const char* what) {
    const std::string disk = FileSystem::diskPath(path);
    if (mode[0] == 'r' && FileSystem::isDirectory(disk)) fail(what, path, EISDIR);
    FilePtr file(std::fopen(disk.c_str(), mode));
    if (!file) fail(what, path, errno);
    return file;
}

template <typename Container>
Container readAll(std::string_view path) {
    FilePtr file = open(path, "rb", "Could not read file");
    Container out;
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        out.insert(out.end(), buffer, buffer + got);
    }
    if (std::ferror(file.get())) fail("Could not read file", path, errno);
    return out;
}

void writeAll(std::string_view path, const void* data, size_t length) {
    FilePtr file = open(path, "wb", "Could not write file");
    if (length > 0 && std::fwrite(data, 1, length, file.get()) != length) {
        fail("Could not write file", path, errno);
    }
    if (std::fclose(file.release()) != 0) fail("Could not write file", path, errno);
}

}  // namespace

std::vector<uint8_t> File::getBytes(std::string_view path) {
    return readAll<std::vector<uint8_t>>(path);
}

std::string File::getContent(std::string_view path) {
    return readAll<std::string>(path);
}

void File::saveBytes(std::string_view path, const std::vector<uint8_t>& bytes) {
    writeAll(path, bytes.data(), bytes.size());
}

void File::saveContent(std::string_view path, std::string_view text) {
    writeAll(path, text.data(), text.size());
}

void File::replaceContent(std::string_view path, std::string_view text, unsigned mode) {
    static std::atomic<unsigned> counter{0};
    const std::string disk = FileSystem::diskPath(path);
    const std::string temp =
        disk + ".part" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) fail("Could not create a file beside", path, errno);
    const auto failAndRemove = [&](const char* what, int error) {
        ::unlink(temp.c_str());
        fail(what, path, error);
    };
    struct stat old {};
    if (::stat(disk.c_str(), &old) == 0 && S_ISREG(old.st_mode) &&
        ::fchmod(fd, old.st_mode & 07777) != 0) {
        const int error = errno;
        ::close(fd);
        failAndRemove("Could not keep the permissions of", error);
    }
    for (size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : EIO;
            ::close(fd);
            failAndRemove("Could not write file", error);
        }
        done += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        failAndRemove("Could not flush file", error);
    }
    if (::close(fd) != 0) failAndRemove("Could not write file", errno);
    if (::rename(temp.c_str(), disk.c_str()) != 0) failAndRemove("Could not replace file", errno);
    const size_t slash = disk.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : disk.substr(0, slash + 1);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

void File::copy(std::string_view from, std::string_view to) {
    FilePtr source = open(from, "rb", "Could not copy from");
    FilePtr target = open(to, "wb", "Could not copy to");
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, source.get())) > 0) {
        if (std::fwrite(buffer, 1, got, target.get()) != got) fail("Could not copy to", to, errno);
    }
    if (std::ferror(source.get())) fail("Could not copy from", from, errno);
    if (std::fclose(target.release()) != 0) fail("Could not copy to", to, errno);
}

}  // namespace rt
