// The browser host's backend of the primitives: BrowserHost over Chromium, page commands over
// the window's DevTools session, global hot keys on the X display, this user's processes.
// Also exports window_set_owner, which only this host has (docs/cefhx.md).
#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "platform/cefhx/browser_host.h"
#include "platform/cefhx/devtools_dispatcher.h"
#include "platform/cefhx/file_url.h"
#include "platform/cefhx/host_backend.h"
#include "platform/cefhx/hot_keys.h"
#include "platform/cefhx/json_fields.h"
#include "platform/cefhx/primitive_support.h"
#include "platform/cefhx/script_runner.h"
#include "platform/cefhx/window_messages.h"
#include "runtime/array.h"
#include "runtime/json.h"

namespace cefhx {
namespace {

using rt::Value;

BrowserHost& host() {
    return BrowserHost::instance();
}

// Ends the processes of this user whose program is named `name` ("x.exe" also finds "x").
bool closeProcessesNamed(const std::string& name) {
    if (name.empty()) return false;
    std::string bare = name;
    if (bare.size() > 4 && bare.compare(bare.size() - 4, 4, ".exe") == 0) {
        bare.resize(bare.size() - 4);
    }
    bool any = false;
    DIR* proc = opendir("/proc");
    if (!proc) return false;
    while (dirent* e = readdir(proc)) {
        char* end = nullptr;
        long pid = std::strtol(e->d_name, &end, 10);
        if (*end != '\0' || pid <= 1 || pid == getpid()) continue;
        std::ifstream comm("/proc/" + std::string(e->d_name) + "/comm");
        std::string program;
        std::getline(comm, program);
        if (program != name && program != bare) continue;
        if (kill(static_cast<pid_t>(pid), SIGTERM) == 0) any = true;
    }
    closedir(proc);
    return any;
}

class BrowserBackend final : public HostBackend {
public:
    // Nothing is recorded: the calls act on Chromium.
    void called(std::string_view, const Value*, std::span<const Value>) override {}
    void failed(const std::string& failure) override {
        std::fprintf(stderr, "cefhx: %s\n", failure.c_str());
    }

    // ---- application ----
    void runMain(const Value& ready, const Value& settings) override {
        host().runMain(ready, settings);
        if (HotKeys* keys = hotKeys()) keys->clear();
    }
    void requestQuit() override { host().requestQuit(); }
    ScreenSize screen() override {
        return {host().options().screenWidth, host().options().screenHeight};
    }
    int registerHotKey(const SharedWindow& w, const std::string& name, int modifiers,
                       int key) override {
        HotKeys* keys = hotKeys();
        if (!w || !keys) {
            std::fprintf(stderr, "cefhx: hot key \"%s\" not registered: %s\n", name.c_str(),
                         !w ? "no such window" : "no X display");
            return -1;
        }
        return keys->add(w->hwnd(), name, modifiers, key);
    }
    bool unregisterHotKey(const SharedWindow& w, const std::string& name) override {
        HotKeys* keys = hotKeys();
        return w && keys && keys->remove(w->hwnd(), name);
    }
    bool claimInstance(const std::string& name) override {
        host().ensureLoop();
        return host().singleInstance().claim(
            name, [] { host().broadcastSystemMessage(kNewAppMessage, 0, 0); });
    }
    bool closeProcesses(const std::string& program) override {
        return closeProcessesNamed(program);
    }
    bool closeProcess(int pid) override {
        return pid > 1 && pid != getpid() && kill(pid, SIGTERM) == 0;
    }
    void sendMessage(long target, const std::string& text, int number) override {
        ml_send_copydata(static_cast<ml_hwnd>(target), 0, static_cast<uint64_t>(number),
                         text.data(), static_cast<uint32_t>(text.size()), 1000, nullptr);
    }
    void setFilterPaths(std::vector<std::string> paths) override {
        host().setFilterPaths(std::move(paths));
    }

    // ---- windows ----
    Value createWindow(int width, int height, int flags, const Value& object,
                       const Value& browser) override {
        return host().createWindow(width, height, flags, object, browser);
    }
    SharedWindow window(ml_hwnd hwnd) override { return host().windowByHwnd(hwnd); }
    bool closeWindow(const SharedWindow& w) override { return host().closeWindow(w); }
    void showWindow(const SharedWindow& w, bool visible) override { host().showWindow(w, visible); }
    void setProperty(const SharedWindow& w, WindowProperty id, const Value& v) override {
        host().setWindowProperty(w, id, v);
    }
    void setBrowserSize(const SharedWindow& w, const Value& width, const Value& height) override {
        host().setWindowProperty(w, WindowProperty::Width, width);
        host().setWindowProperty(w, WindowProperty::Height, height);
    }
    // Titles, moving, sizing and shapes act on the window's X window: without a display they
    // change nothing (docs/cefhx.md).
    void setNativeTitle(const SharedWindow& w, const std::string& title) override {
        host().setNativeTitle(w, title);
    }
    void dragWindow(const SharedWindow& w, MoveResize what) override { host().dragWindow(w, what); }
    void setWindowRound(const SharedWindow& w, int left, int top, int right, int bottom,
                        int cornerWidth, int cornerHeight) override {
        host().setWindowRound(w, left, top, right, bottom, cornerWidth, cornerHeight);
    }
    bool postTask(ml_hwnd hwnd, const Value& delay) override {
        return BrowserHost::postTask(hwnd, delay);
    }

    // ---- browsers ----
    void setFocusEmulation(HostWindow& w, bool on) override {
        Json::Value p(Json::objectValue);
        p["enabled"] = on;
        pageCommand(w, "Emulation.setFocusEmulationEnabled", p);
    }
    void mouseWheel(HostWindow& w, int x, int y, int deltaX, int deltaY) override {
        Json::Value p = mouseEvent("mouseWheel", x, y);
        p["deltaX"] = deltaX;
        p["deltaY"] = deltaY;
        pageCommand(w, "Input.dispatchMouseEvent", p);
    }
    void mouseMove(HostWindow& w, int x, int y) override {
        pageCommand(w, "Input.dispatchMouseEvent", mouseEvent("mouseMoved", x, y));
    }
    void mouseClick(HostWindow& w, int x, int y, MouseButton button, bool up, int count) override {
        static const char* kButtons[] = {"left", "middle", "right"};
        Json::Value p = mouseEvent(up ? "mouseReleased" : "mousePressed", x, y);
        p["button"] = kButtons[static_cast<int>(button)];
        p["clickCount"] = count;
        pageCommand(w, "Input.dispatchMouseEvent", p);
    }
    void keyEvent(HostWindow& w, KeyEventType type, int code, int modifiers) override {
        static const char* kTypes[] = {"keyUp", "rawKeyDown", "char"};
        Json::Value p(Json::objectValue);
        p["type"] = kTypes[static_cast<int>(type)];
        p["windowsVirtualKeyCode"] = code;
        p["modifiers"] = modifiers;
        if (type == KeyEventType::Char && code > 0 && code < 0x80) {
            p["text"] = std::string(1, static_cast<char>(code));
        }
        pageCommand(w, "Input.dispatchKeyEvent", p);
    }
    void clearHistory(HostWindow& w) override { pageCommand(w, "Page.resetNavigationHistory"); }
    void find(HostWindow& w, const std::string& text, bool matchCase, bool forward) override {
        runScript(w, "window.find(" + toJsonText(Json::Value(text)) + ", " +
                         (matchCase ? "true" : "false") + ", " + (forward ? "false" : "true") +
                         ", true)");
    }
    void stopFind(HostWindow& w) override {
        runScript(w, "window.getSelection() && window.getSelection().removeAllRanges()");
    }
    void stopLoad(HostWindow& w) override { pageCommand(w, "Page.stopLoading"); }
    void reload(HostWindow& w, bool ignoreCache) override {
        Json::Value p(Json::objectValue);
        p["ignoreCache"] = ignoreCache;
        pageCommand(w, "Page.reload", p);
    }
    void go(HostWindow& w, bool forward) override {
        runScript(w, forward ? "history.forward()" : "history.back()");
    }
    bool canGo(HostWindow& w, bool forward) override {
        const morvick::Expected<Json::Value> r =
            host().callPage(w, "Page.getNavigationHistory", Json::Value());
        if (!r) return false;
        const Json::Value& index = anyField(*r, "currentIndex");
        const Json::Value& entries = anyField(*r, "entries");
        if (!index.isInt() || !entries.isArray()) return false;
        const int count = static_cast<int>(entries.size());
        return forward ? index.asInt() + 1 < count : index.asInt() > 0;
    }
    void setFocus(HostWindow& w, bool on) override {
        if (on) pageCommand(w, "Page.bringToFront");
    }
    // Zoom is page scale, 1.2 to the power of the level.
    void applyZoom(HostWindow& w) override {
        Json::Value p(Json::objectValue);
        p["pageScaleFactor"] = std::pow(1.2, w.zoomLevel);
        pageCommand(w, "Emulation.setPageScaleFactor", p);
    }
    bool hasDocument(HostWindow& w) override {
        FrameInfo* main = w.mainFrame();
        return main != nullptr && !main->url.empty() && main->url != "about:blank";
    }

    // ---- frames ----
    bool isFocused(HostWindow& w, const FrameInfo& f) override {
        return evaluateForValue(host(), w, f, "JSON.stringify(document.hasFocus())").toBool();
    }
    Value invoke(HostWindow& w, const FrameInfo& f, const std::string& function,
                 const Value& args) override {
        std::string json = args.asArray() ? rt::Json::stringify(args) : "[]";
        return evaluateForValue(host(), w, f, invokeExpression(function, json));
    }
    Value evaluate(HostWindow& w, const FrameInfo& f, const std::string& code) override {
        return evaluateForValue(host(), w, f, evalExpression(code));
    }
    Value documentText(HostWindow& w, const FrameInfo& f) override {
        return evaluateForValue(host(), w, f,
                                "JSON.stringify(document.body ? document.body.innerText : '')");
    }
    Value documentSource(HostWindow& w, const FrameInfo& f) override {
        return evaluateForValue(host(), w, f,
                                "JSON.stringify(document.documentElement ? "
                                "document.documentElement.outerHTML : '')");
    }
    void execute(HostWindow& w, const FrameInfo& f, const std::string& code,
                 const std::string& sourceUrl) override {
        runInFrame(host(), w, f, sourceUrl.empty() ? code : code + "\n//# sourceURL=" + sourceUrl);
    }
    void loadString(HostWindow& w, const FrameInfo& f, const std::string& html) override {
        Json::Value p(Json::objectValue);
        p["frameId"] = f.frameId;
        p["html"] = html;
        pageCommand(w, "Page.setDocumentContent", p);
    }
    void loadUrl(HostWindow& w, const FrameInfo& f, const std::string& url) override {
        Json::Value p(Json::objectValue);
        p["url"] = pageAddress(url);
        if (!f.parentId.empty()) p["frameId"] = f.frameId;
        pageCommand(w, "Page.navigate", p);
    }
    void editCommand(HostWindow& w, const FrameInfo& f, std::string_view command) override {
        runInFrame(host(), w, f, "document.execCommand('" + std::string(command) + "')");
    }

private:
    static void pageCommand(HostWindow& w, const char* method,
                            const Json::Value& params = Json::Value()) {
        host().sendToPage(w, method, params);
    }
    static void runScript(HostWindow& w, const std::string& code) {
        if (FrameInfo* main = w.mainFrame()) runInFrame(host(), w, *main, code);
    }
    static Json::Value mouseEvent(const char* type, int x, int y) {
        Json::Value p(Json::objectValue);
        p["type"] = type;
        p["x"] = x;
        p["y"] = y;
        return p;
    }
    // Global hot keys are grabbed on the X display the browser shows its windows on; a headless
    // host has no display to take them from and answers as a failed registration.
    HotKeys* hotKeys() {
        if (!hotKeys_ && !host().options().headless) {
            const char* display = std::getenv("DISPLAY");
            if (display && *display) hotKeys_ = std::make_unique<HotKeys>(display);
        }
        return hotKeys_.get();
    }

    std::unique_ptr<HotKeys> hotKeys_;
};

// Not one of the program's primitives: other libraries bind it to make a window of their own
// (a box, a menu) a modal dialog of a program window (docs/cefhx.md).
value window_set_owner(value handle, value owner) {
    return onWindow("window_set_owner", handle, [&](const SharedWindow& w) {
        Value o = arg(owner);
        host().setWindowOwner(w, o.isNumber() ? static_cast<ml_hwnd>(o.toInt()) : 0);
        return Value();
    });
}

}  // namespace

HostBackend& hostBackend() {
    static BrowserBackend backend;
    return backend;
}

}  // namespace cefhx

#define CEFHX_EXPORT_NAMESPACE cefhx
CEFHX_EXPORT_PRIMITIVE(window_set_owner, 2)
