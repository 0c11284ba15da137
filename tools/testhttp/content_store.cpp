#include "tools/testhttp/content_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace testhttp {

struct Resource::File {
    int fd = -1;
    std::string name;
    ~File() {
        if (fd >= 0) ::close(fd);
    }
};

Resource Resource::fromMemory(std::shared_ptr<const std::string> bytes) {
    Resource r;
    r.size_ = bytes->size();
    r.memory_ = std::move(bytes);
    return r;
}

std::optional<Resource> Resource::fromFile(const std::filesystem::path& file) {
    auto handle = std::make_shared<File>();
    handle->name = file.string();
    handle->fd = ::open(handle->name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (handle->fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(handle->fd, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    Resource r;
    r.size_ = static_cast<uint64_t>(st.st_size);
    r.file_ = std::move(handle);
    return r;
}

std::string Resource::read(uint64_t offset, uint64_t length) const {
    if (offset >= size_) return {};
    if (length > size_ - offset) length = size_ - offset;
    if (memory_) return memory_->substr(offset, length);
    std::string out(length, '\0');
    uint64_t done = 0;
    while (done < length) {
        ssize_t n =
            ::pread(file_->fd, out.data() + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0)
            throw std::runtime_error("cannot read " + file_->name + ": " + std::strerror(errno));
        if (n == 0) break;  // the file shrank since it was opened
        done += static_cast<uint64_t>(n);
    }
    out.resize(done);
    return out;
}

void ContentStore::addFile(std::string path, std::string bytes) {
    auto shared = std::make_shared<const std::string>(std::move(bytes));
    std::lock_guard lock(mutex_);
    files_[std::move(path)] = std::move(shared);
}

bool ContentStore::removeFile(std::string_view path) {
    std::lock_guard lock(mutex_);
    auto it = files_.find(path);
    if (it == files_.end()) return false;
    files_.erase(it);
    return true;
}

void ContentStore::serveFolder(std::string prefix, std::filesystem::path dir) {
    while (!prefix.empty() && prefix.back() == '/') prefix.pop_back();
    std::lock_guard lock(mutex_);
    folders_.push_back({std::move(prefix), std::move(dir)});
}

std::optional<Resource> ContentStore::find(std::string_view path) const {
    std::vector<Folder> folders;
    {
        std::lock_guard lock(mutex_);
        auto it = files_.find(path);
        if (it != files_.end()) return Resource::fromMemory(it->second);
        folders = folders_;
    }
    for (const Folder& folder : folders) {
        if (!path.starts_with(folder.prefix) || path.size() <= folder.prefix.size() ||
            path[folder.prefix.size()] != '/')
            continue;
        std::filesystem::path file = folder.dir;
        std::string_view rest = path.substr(folder.prefix.size() + 1);
        bool refused = false;
        while (!rest.empty()) {
            size_t slash = rest.find('/');
            std::string_view segment = rest.substr(0, slash);
            rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
            if (segment == "..") {
                refused = true;
                break;
            }
            if (!segment.empty() && segment != ".") file /= std::string(segment);
        }
        if (refused) return std::nullopt;
        if (auto resource = Resource::fromFile(file)) return resource;
    }
    return std::nullopt;
}

}  // namespace testhttp
