// Every message from the browser goes through the host's dispatcher. The input is a run of
// NUL-separated messages, fed through the browser pipe as Chromium would send them; whatever
// they hold, the host drops what it cannot use and goes on reading.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/cefhx/browser_host.h"

namespace {

struct Pipe {
    int read = -1;
    int write = -1;
};

Pipe& events() {
    static Pipe pipe = [] {
        Pipe p;
        int fds[2];
        if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) std::abort();
        p.read = fds[0];
        p.write = fds[1];
        cefhx::BrowserHost& host = cefhx::BrowserHost::instance();
        if (!host.ensureLoop()) std::abort();
        const int commands = open("/dev/null", O_WRONLY | O_CLOEXEC);
        host.connect(commands, p.read);
        return p;
    }();
    return pipe;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Pipe& pipe = events();
    cefhx::BrowserHost& host = cefhx::BrowserHost::instance();
    // Each input ends its last message, so that inputs do not run into each other.
    const uint8_t end = 0;
    size_t sent = 0;
    while (sent <= size) {
        const uint8_t* from = sent < size ? data + sent : &end;
        const size_t length = sent < size ? size - sent : 1;
        const ssize_t n = write(pipe.write, from, length);
        if (n > 0) sent += static_cast<size_t>(n);
        host.cdp().onReadable();
        if (!host.cdp().isOpen()) std::abort();
    }
    return 0;
}
