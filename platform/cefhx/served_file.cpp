#include "platform/cefhx/served_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

namespace cefhx {
namespace {

std::optional<std::string> realPathOf(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path.c_str(), nullptr),
                                                         &std::free);
    if (!resolved) return std::nullopt;
    return std::string(resolved.get());
}

ServedFile refused(std::string why) {
    ServedFile out;
    out.status = ServedFile::Status::Refused;
    out.why = std::move(why);
    return out;
}

}  // namespace

ServedFile readServedFile(const ServedPath& where, size_t cap) {
    const std::optional<std::string> folder = realPathOf(where.folder);
    const std::optional<std::string> file = realPathOf(where.path);
    if (!folder || !file) return ServedFile{};
    const std::string inside = *folder == "/" ? *folder : *folder + "/";
    if (file->size() <= inside.size() || file->compare(0, inside.size(), inside) != 0) {
        return refused(where.path + " leads outside " + where.folder + " (to " + *file + ")");
    }
    // Never blocks on a pipe and never follows a link swapped in since the check.
    const int fd = open(file->c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT) return ServedFile{};
        return refused("cannot open " + *file + ": " + std::strerror(errno));
    }
    ServedFile out;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return refused(*file + " is not a regular file");
    }
    if (static_cast<unsigned long long>(st.st_size) > cap) {
        close(fd);
        return refused(*file + " holds " + std::to_string(st.st_size) +
                       " bytes, more than the cap of " + std::to_string(cap));
    }
    out.body.resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (got < out.body.size()) {
        const ssize_t n = read(fd, out.body.data() + got, out.body.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    close(fd);
    // A file that shrank while it was read is served as far as it went.
    out.body.resize(got);
    out.status = ServedFile::Status::Ok;
    return out;
}

}  // namespace cefhx
