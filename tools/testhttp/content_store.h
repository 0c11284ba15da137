#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testhttp {

// The bytes of one served resource, held in memory or read from an open file. Copies share the
// same bytes, so a resource replaced while an answer is being sent stays whole for that answer.
class Resource {
public:
    static Resource fromMemory(std::shared_ptr<const std::string> bytes);
    // Nothing when `file` is not a regular file that can be opened for reading.
    static std::optional<Resource> fromFile(const std::filesystem::path& file);

    uint64_t size() const { return size_; }
    // The bytes [offset, offset + length) clipped to the end. Throws std::runtime_error when the
    // file cannot be read.
    std::string read(uint64_t offset, uint64_t length) const;

private:
    struct File;
    std::shared_ptr<const std::string> memory_;
    std::shared_ptr<File> file_;
    uint64_t size_ = 0;
};

// What the server serves: files added from memory by path, and folders on disk under a path
// prefix. Safe to change from any thread while the server runs.
class ContentStore {
public:
    void addFile(std::string path, std::string bytes);
    bool removeFile(std::string_view path);
    // Serves the files below `dir` under `prefix` ("/" or "/update" both work). Request paths
    // with a ".." segment are never looked up on disk.
    void serveFolder(std::string prefix, std::filesystem::path dir);

    // The resource for a decoded request path; memory files first, then the folders in the
    // order they were added.
    std::optional<Resource> find(std::string_view path) const;

private:
    struct Folder {
        std::string prefix;  // without a trailing "/"
        std::filesystem::path dir;
    };
    mutable std::mutex mutex_;
    std::map<std::string, std::shared_ptr<const std::string>, std::less<>> files_;
    std::vector<Folder> folders_;
};

}  // namespace testhttp
