#include "tools/testhttp/receive.h"

#include <sys/socket.h>

#include <cerrno>

namespace testhttp {

Received receiveSome(int fd, std::string& out) {
    char chunk[16 * 1024];
    for (;;) {
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n > 0) {
            out.append(chunk, static_cast<size_t>(n));
            return Received::Bytes;
        }
        if (n == 0) return Received::Closed;
        if (errno == EINTR) continue;
        return errno == EAGAIN || errno == EWOULDBLOCK ? Received::WouldBlock : Received::Failed;
    }
}

}  // namespace testhttp
