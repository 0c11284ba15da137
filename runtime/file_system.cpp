#include "runtime/file_system.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "runtime/io_error.h"

namespace rt {
namespace {

namespace stdfs = std::filesystem;

[[noreturn]] void fail(const char* what, std::string_view path, const std::error_code& error) {
    throw IoError(std::string(what) + " " + std::string(path) + ": " + error.message());
}

}  // namespace

std::string FileSystem::diskPath(std::string_view path) {
    std::string out(path);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

bool FileSystem::exists(std::string_view path) {
    std::error_code error;
    return stdfs::exists(diskPath(path), error);
}

bool FileSystem::isDirectory(std::string_view path) {
    std::error_code error;
    return stdfs::is_directory(diskPath(path), error);
}

void FileSystem::createDirectory(std::string_view path) {
    std::error_code error;
    stdfs::create_directories(diskPath(path), error);
    if (error) fail("Could not create folder", path, error);
}

std::vector<std::string> FileSystem::readDirectory(std::string_view path) {
    std::error_code error;
    stdfs::directory_iterator it(diskPath(path), error);
    if (error) fail("Could not read folder", path, error);
    std::vector<std::string> names;
    for (; it != stdfs::directory_iterator(); it.increment(error)) {
        names.push_back(it->path().filename().string());
    }
    if (error) fail("Could not read folder", path, error);
    std::sort(names.begin(), names.end());
    return names;
}

void FileSystem::deleteFile(std::string_view path) {
    const std::string disk = diskPath(path);
    std::error_code error;
    if (stdfs::is_directory(disk, error)) {
        fail("Could not delete file", path, std::make_error_code(std::errc::is_a_directory));
    }
    if (!stdfs::remove(disk, error) && !error) {
        error = std::make_error_code(std::errc::no_such_file_or_directory);
    }
    if (error) fail("Could not delete file", path, error);
}

void FileSystem::deleteDirectory(std::string_view path) {
    const std::string disk = diskPath(path);
    std::error_code error;
    if (!stdfs::is_directory(disk, error)) {
        fail("Could not delete folder", path, std::make_error_code(std::errc::not_a_directory));
    }
    stdfs::remove(disk, error);
    if (error) fail("Could not delete folder", path, error);
}

void FileSystem::rename(std::string_view from, std::string_view to) {
    std::error_code error;
    stdfs::rename(diskPath(from), diskPath(to), error);
    if (error) {
        throw IoError("Could not rename " + std::string(from) + " to " + std::string(to) + ": " +
                      error.message());
    }
}

std::string FileSystem::currentDirectory() {
    std::error_code error;
    const stdfs::path current = stdfs::current_path(error);
    if (error) fail("Could not read the current folder", "", error);
    return current.string();
}

void FileSystem::setCurrentDirectory(std::string_view path) {
    std::error_code error;
    stdfs::current_path(diskPath(path), error);
    if (error) fail("Could not change to folder", path, error);
}

std::string FileSystem::executablePath() {
    std::error_code error;
    const stdfs::path self = stdfs::read_symlink("/proc/self/exe", error);
    if (error) fail("Could not read the program path", "/proc/self/exe", error);
    return self.string();
}

}  // namespace rt
