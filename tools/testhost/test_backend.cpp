// The test host's backend of the primitives: every call that acts is recorded (record.h), the
// windows and their state are TestHost's, and there is no page: script calls answer what the
// script set, everything a page or the desktop would do is only recorded.
#include <string>

#include "platform/cefhx/host_backend.h"
#include "runtime/value.h"
#include "tools/testhost/record.h"
#include "tools/testhost/test_host.h"

namespace testhost {
namespace {

using cefhx::FrameInfo;
using cefhx::KeyEventType;
using cefhx::MouseButton;
using cefhx::MoveResize;
using cefhx::SharedWindow;
using cefhx::WindowProperty;
using rt::Value;

// The screen the host presents.
constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;

TestHost& host() {
    return TestHost::instance();
}

class TestBackend final : public cefhx::HostBackend {
public:
    // The primitive, the window its handle names ("no window ..." for none), the arguments.
    void called(std::string_view primitive, const Value* handle,
                std::span<const Value> args) override {
        Record::instance().write(primitive, handle ? host().labelOf(*handle) : std::string(),
                                 describeAll(args));
    }
    void failed(const std::string& failure) override {
        Record::instance().write("FAIL", "", failure);
    }

    // ---- application ----
    void runMain(const Value& ready, const Value&) override { host().runMain(ready); }
    void requestQuit() override { host().requestQuit(); }
    cefhx::ScreenSize screen() override { return {kScreenWidth, kScreenHeight}; }
    // As the headless browser host: no window system grants global hot keys here.
    int registerHotKey(const SharedWindow&, const std::string&, int, int) override { return -1; }
    bool unregisterHotKey(const SharedWindow&, const std::string&) override { return false; }
    bool claimInstance(const std::string& name) override { return host().claimInstance(name); }
    // Processes and messages to other programs are recorded and left alone.
    bool closeProcesses(const std::string&) override { return false; }
    bool closeProcess(int) override { return false; }
    void sendMessage(long, const std::string&, int) override {}
    // Nothing is loaded, so no request is filtered.
    void setFilterPaths(std::vector<std::string>) override {}

    // ---- windows ----
    Value createWindow(int width, int height, int flags, const Value& object,
                       const Value& browser) override {
        return host().createWindow(width, height, flags, object, browser);
    }
    SharedWindow window(ml_hwnd hwnd) override { return host().windowByHwnd(hwnd); }
    bool closeWindow(const SharedWindow& w) override { return host().closeWindow(w); }
    void showWindow(const SharedWindow& w, bool visible) override { w->visible = visible; }
    void setProperty(const SharedWindow& w, WindowProperty id, const Value& v) override {
        host().setProperty(w, id, v);
    }
    // The window keeps its size: only window_set_prop sizes it.
    void setBrowserSize(const SharedWindow&, const Value&, const Value&) override {}
    void setNativeTitle(const SharedWindow& w, const std::string& title) override {
        w->nativeTitle = title;
    }
    // No desktop: moving, sizing and shapes are recorded only.
    void dragWindow(const SharedWindow&, MoveResize) override {}
    void setWindowRound(const SharedWindow&, int, int, int, int, int, int) override {}
    bool postTask(ml_hwnd hwnd, const Value& delay) override {
        return TestHost::postTask(hwnd, delay);
    }

    // ---- browsers: no page, so input, finding, loading and history are recorded only ----
    void setFocusEmulation(cefhx::HostWindow&, bool) override {}
    void mouseWheel(cefhx::HostWindow&, int, int, int, int) override {}
    void mouseMove(cefhx::HostWindow&, int, int) override {}
    void mouseClick(cefhx::HostWindow&, int, int, MouseButton, bool, int) override {}
    void keyEvent(cefhx::HostWindow&, KeyEventType, int, int) override {}
    void clearHistory(cefhx::HostWindow&) override {}
    void find(cefhx::HostWindow&, const std::string&, bool, bool) override {}
    void stopFind(cefhx::HostWindow&) override {}
    void stopLoad(cefhx::HostWindow&) override {}
    void reload(cefhx::HostWindow&, bool) override {}
    void go(cefhx::HostWindow&, bool) override {}
    bool canGo(cefhx::HostWindow&, bool) override { return false; }
    void setFocus(cefhx::HostWindow&, bool) override {}
    void applyZoom(cefhx::HostWindow&) override {}
    bool hasDocument(cefhx::HostWindow& w) override {
        return w.browserReady && !w.startUrl.empty();
    }

    // ---- frames: the main frame is the only one, and has the focus ----
    bool isFocused(cefhx::HostWindow&, const FrameInfo& f) override { return f.parentId.empty(); }
    Value invoke(cefhx::HostWindow&, const FrameInfo&, const std::string& function,
                 const Value&) override {
        return host().pageAnswer(function);
    }
    Value evaluate(cefhx::HostWindow&, const FrameInfo&, const std::string& code) override {
        return host().pageAnswer(code);
    }
    Value documentText(cefhx::HostWindow&, const FrameInfo&) override { return Value(""); }
    Value documentSource(cefhx::HostWindow&, const FrameInfo&) override { return Value(""); }
    void execute(cefhx::HostWindow&, const FrameInfo&, const std::string&,
                 const std::string&) override {}
    void loadString(cefhx::HostWindow&, const FrameInfo&, const std::string&) override {}
    // Nothing loads; the frame's address is the one asked for.
    void loadUrl(cefhx::HostWindow& w, const FrameInfo& f, const std::string& url) override {
        if (FrameInfo* live = w.frameById(f.frameId)) live->url = url;
    }
    void editCommand(cefhx::HostWindow&, const FrameInfo&, std::string_view) override {}
};

}  // namespace
}  // namespace testhost

cefhx::HostBackend& cefhx::hostBackend() {
    static testhost::TestBackend backend;
    return backend;
}
