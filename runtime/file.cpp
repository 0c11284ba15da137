#include "runtime/file.h"

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
