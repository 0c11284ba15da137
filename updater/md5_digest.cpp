#include "updater/md5_digest.h"

#include <fcntl.h>
#include <unistd.h>

#include <vector>

#include "updater/md5_stream.h"

namespace haldor {

std::optional<std::string> MD5_CTX::FileDigest(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    Md5Stream md5;
    std::vector<unsigned char> buffer(1 << 20);
    bool ok = true;
    while (ok) {
        ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n == 0) break;
        ok = n > 0 && md5.Update(buffer.data(), static_cast<std::size_t>(n));
    }
    ::close(fd);
    std::string digest = ok ? md5.Finish() : "";
    if (digest.empty()) return std::nullopt;
    return digest;
}

}  // namespace haldor
