// Every message from the browser goes through the host's dispatcher. The input is a run of
// NUL-separated messages, fed through the browser pipe as Chromium would send them, to a host
// with one program window whose page session is "S"; whatever they hold, the host drops what
// it cannot use and goes on reading.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/cefhx/browser_host.h"
#include "platform/cefhx/test_window.h"
#include "runtime/create.h"
#include "runtime/record.h"

namespace {

struct Pipes {
    int eventsIn = -1;
    int commandsOut = -1;
};

cefhx::BrowserHost& host() {
    return cefhx::BrowserHost::instance();
}

const Pipes& pipes() {
    static const Pipes p = [] {
        Pipes out;
        int events[2];
        int commands[2];
        if (pipe2(events, O_NONBLOCK | O_CLOEXEC) != 0) std::abort();
        if (pipe2(commands, O_NONBLOCK | O_CLOEXEC) != 0) std::abort();
        if (!host().ensureLoop()) std::abort();
        host().connect(commands[1], events[0]);
        out.eventsIn = events[1];
        out.commandsOut = commands[0];
        return out;
    }();
    return p;
}

// What the host has sent since the last look.
std::string sent() {
    std::string out;
    char chunk[65536];
    ssize_t n;
    while ((n = read(pipes().commandsOut, chunk, sizeof chunk)) > 0) {
        out.append(chunk, static_cast<size_t>(n));
    }
    return out;
}

void feed(const uint8_t* data, size_t size) {
    const uint8_t end = 0;
    size_t done = 0;
    // Each feed ends its last message, so that inputs do not run into each other.
    while (done <= size) {
        const uint8_t* from = done < size ? data + done : &end;
        const size_t length = done < size ? size - done : 1;
        const ssize_t n = write(pipes().eventsIn, from, length);
        if (n > 0) done += static_cast<size_t>(n);
        host().cdp().onReadable();
        sent();
        if (!host().cdp().isOpen()) std::abort();
    }
}

void feed(const std::string& message) {
    feed(reinterpret_cast<const uint8_t*>(message.data()), message.size());
}

rt::Ref<cefhx::testing::RecordingWindow>& object() {
    static rt::Ref<cefhx::testing::RecordingWindow> window;
    return window;
}

// A program window whose page is target "T" on session "S", back to its main frame alone so that
// no input sees the frames an earlier one made; made afresh when an earlier input closed it.
void readyWindow() {
    for (const auto& w : host().windows()) {
        if (w->sessionId == "S") {
            object()->calls.clear();
            object()->callers.clear();
            w->frames.clear();
            w->addFrame("T", "");
            return;
        }
        host().destroyWindow(w);
    }
    object() = rt::create<cefhx::testing::RecordingWindow>();
    object()->url = "/opt/game/resource/index.html";
    sent();
    host().createWindow(640, 480, 0, rt::Value(object()), rt::Record::of({{"isInit", false}}));
    const std::string commands = sent();
    const size_t method = commands.find("\"Target.createTarget\"");
    const size_t id = commands.rfind("\"id\":", method);
    if (method == std::string::npos || id == std::string::npos) std::abort();
    const std::string number = std::to_string(std::atoi(commands.c_str() + id + 5));
    feed("{\"id\":" + number + ",\"result\":{\"targetId\":\"T\"}}");
    feed(R"({"method":"Target.attachedToTarget","params":{"sessionId":"S",)"
         R"("targetInfo":{"targetId":"T","type":"page"},"waitingForDebugger":true}})");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    readyWindow();
    feed(data, size);
    return 0;
}
