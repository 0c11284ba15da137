// Every message from the browser goes through the host's dispatcher. The input is a run of
// NUL-separated messages, received as Chromium would send them (through the dispatcher of a
// recording transport), by a host with one program window whose page session is "S"; whatever
// they hold, the host drops what it cannot use and goes on reading. After each input the browser
// fails every command the host is still waiting on, and the loop runs what the input posted, so
// that nothing one input left waiting is carried into the next.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/cefhx/browser_host.h"
#include "platform/cefhx/fake_devtools.h"
#include "platform/cefhx/test_window.h"
#include "platform/msgloop/msgloop.h"
#include "runtime/create.h"
#include "runtime/record.h"

namespace {

cefhx::BrowserHost& host() {
    return cefhx::BrowserHost::instance();
}

cefhx::testing::FakeDevTools& browser() {
    static cefhx::testing::FakeDevTools* fake = [] {
        auto* f = new cefhx::testing::FakeDevTools();
        if (!host().ensureLoop()) std::abort();
        host().connect(*f);
        return f;
    }();
    return *fake;
}

void feed(std::string_view bytes) {
    browser().receiveBytes(bytes);
    // Each feed ends its last message, so that inputs do not run into each other.
    browser().receiveBytes(std::string_view("", 1));
    browser().failAll("the browser answers no more");
    // A few turns: what a turn posts runs in the next.
    int code = 0;
    for (int turn = 0; turn < 4; ++turn) ml_pump(0, &code);
    browser().taken();
    if (!browser().isOpen()) std::abort();
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
    browser().taken();
    host().createWindow(640, 480, 0, rt::Value(object()), rt::Record::of({{"isInit", false}}));
    Json::Value target(Json::objectValue);
    target["targetId"] = "T";
    if (!browser().reply("Target.createTarget", target)) std::abort();
    feed(R"({"method":"Target.attachedToTarget","params":{"sessionId":"S",)"
         R"("targetInfo":{"targetId":"T","type":"page"},"waitingForDebugger":true}})");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    readyWindow();
    feed(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
