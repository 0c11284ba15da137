#include "tools/testhost/test_host.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <sstream>

#include "platform/cefhx/window_bounds.h"
#include "platform/cefhx/window_message.h"
#include "platform/cefhx/window_messages.h"
#include "platform/cefhx/window_task.h"
#include "runtime/record.h"
#include "runtime/value_scope.h"
#include "tools/testhost/record.h"

namespace testhost {
namespace {

namespace field = cefhx::field;
using cefhx::WindowProperty;

constexpr int kDefaultWidth = 800;
constexpr int kDefaultHeight = 600;
constexpr uint32_t kDefaultStepTimeoutMs = 20000;

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

void runPostedTask(ml_hwnd hwnd, const rt::Value& delay) {
    TestHost& host = TestHost::instance();
    std::shared_ptr<HostWindow> w = host.windowByHwnd(hwnd);
    if (!w || w->destroying) return;
    Record::instance().write("event", host.label(*w), "on_task " + describe(delay));
    w->deliver(cefhx::kTaskEvent, delay);
}

void runBrowserCreated(void* arg) {
    auto hwnd = static_cast<ml_hwnd>(reinterpret_cast<uintptr_t>(arg));
    TestHost& host = TestHost::instance();
    std::shared_ptr<HostWindow> w = host.windowByHwnd(hwnd);
    if (!w || w->destroying) return;
    // The page side exists: one main frame, showing the start address.
    cefhx::FrameInfo& main = w->addFrame("main", "");
    main.url = w->startUrl;
    w->browserReady = true;
    std::string label = host.label(*w);
    Record::instance().write("event", label, std::string(cefhx::kAfterCreatedEvent));
    w->deliver(cefhx::kAfterCreatedEvent, rt::Value());
    if (w->destroying) return;
    if (w->isRegistered(cefhx::BrowserEvent::LoadEnd)) {
        Record::instance().write("event", label, "onLoadEnd " + w->startUrl);
        w->raise(cefhx::BrowserEvent::LoadEnd,
                 rt::Record::of({{field::kX, true}, {field::kY, 200}, {field::kUrl, w->startUrl}}));
    }
}

}  // namespace

TestHost& TestHost::instance() {
    static TestHost* host = new TestHost();  // lives until exit, as the windows it names
    return *host;
}

bool TestHost::ensureLoop() {
    if (ml_is_loop_thread()) return true;
    if (ml_init() != ML_OK) {
        std::fprintf(stderr, "testhost: cannot start the message loop: %s\n", ml_last_error());
        return false;
    }
    return true;
}

void TestHost::runMain(const rt::Value& ready) {
    if (quitRequested_) return;
    if (!ensureLoop()) return;
    ml_set_dispatch_hooks([](void*) { morvick_value_scope_open(); },
                          [](void*) { morvick_value_scope_close(); }, nullptr);
    running_ = true;
    try {
        Record::instance().write("ready", "", "");
        if (ready.isFunction()) ready.call({});
    } catch (const std::exception& e) {
        Record::instance().write("FAIL", "", std::string("the ready function failed: ") + e.what());
    }
    startScript();
    if (!quitRequested_) ml_run(nullptr);
    running_ = false;
    shutdown();
}

void TestHost::startScript() {
    std::string path = env("TESTHOST_SCRIPT");
    if (path.empty()) return;
    std::ifstream in(path);
    if (!in) {
        Record::instance().write("FAIL", "", "cannot read the script " + path);
        requestQuit();
        return;
    }
    std::stringstream text;
    text << in.rdbuf();
    uint32_t timeout = kDefaultStepTimeoutMs;
    if (std::string t = env("TESTHOST_STEP_TIMEOUT_MS"); !t.empty()) {
        timeout = static_cast<uint32_t>(std::strtoul(t.c_str(), nullptr, 10));
    }
    morvick::Expected<std::vector<Step>> steps = parseScript(text.str());
    if (!steps) {
        Record::instance().write("FAIL", "", steps.error());
        requestQuit();
        return;
    }
    player_.emplace(*this, std::move(*steps), timeout);
    player_->start();
}

void TestHost::requestQuit() {
    quitRequested_ = true;
    if (running_) ml_post_quit(0);
}

void TestHost::shutdown() {
    for (const auto& w : windows()) destroyWindow(w);
    instance_.release();
    player_.reset();
    Record::instance().write("loop", "", "ended");
    // Another run in the same process (a test's) starts afresh.
    quitRequested_ = false;
}

rt::Value TestHost::createWindow(int width, int height, int flags, const rt::Value& object,
                                 const rt::Value& browser) {
    if (!ensureLoop()) return {};
    ml_hwnd hwnd = 0;
    if (ml_create_window(&TestHost::windowProc, nullptr, &hwnd) != ML_OK) {
        std::fprintf(stderr, "testhost: cannot create a window: %s\n", ml_last_error());
        return {};
    }
    auto w = std::make_shared<HostWindow>(hwnd, object, browser, width > 0 ? width : kDefaultWidth,
                                          height > 0 ? height : kDefaultHeight, flags);
    rt::Value url = object.get("url");
    w->startUrl = url.isString() ? std::string(url.str()) : std::string();
    windows_[hwnd] = w;
    labels_[hwnd] = windowLabel(w->startUrl);
    rt::Value handle(static_cast<int32_t>(hwnd));
    Record::instance().write("on_create", labels_[hwnd], std::to_string(hwnd) + " " + w->startUrl);
    w->callMember("on_create", {handle});
    ml_post_task(&runBrowserCreated, reinterpret_cast<void*>(static_cast<uintptr_t>(hwnd)), 0);
    return handle;
}

std::shared_ptr<HostWindow> TestHost::window(const rt::Value& handle) const {
    if (!handle.isNumber()) return nullptr;
    return windowByHwnd(static_cast<ml_hwnd>(handle.toInt()));
}

std::shared_ptr<HostWindow> TestHost::windowByHwnd(ml_hwnd hwnd) const {
    auto it = windows_.find(hwnd);
    return it == windows_.end() ? nullptr : it->second;
}

std::shared_ptr<HostWindow> TestHost::windowByLabel(const std::string& label) const {
    for (const auto& [hwnd, l] : labels_) {
        if (l != label) continue;
        std::shared_ptr<HostWindow> w = windowByHwnd(hwnd);
        if (w && !w->destroying) return w;
    }
    return nullptr;
}

std::string TestHost::label(const HostWindow& w) const {
    auto it = labels_.find(w.hwnd());
    return it == labels_.end() ? std::to_string(w.hwnd()) : it->second;
}

std::string TestHost::labelOf(const rt::Value& handle) const {
    if (std::shared_ptr<HostWindow> w = window(handle)) return label(*w);
    return "no window " + describe(handle);
}

std::vector<std::shared_ptr<HostWindow>> TestHost::windows() const {
    std::vector<std::shared_ptr<HostWindow>> all;
    for (const auto& [hwnd, w] : windows_) all.push_back(w);
    return all;
}

bool TestHost::closeWindow(const std::shared_ptr<HostWindow>& w) {
    if (!w || w->destroying) return false;
    rt::Value answer = w->callMember("on_close", {});
    Record::instance().write("on_close", label(*w), "-> " + describe(answer));
    if (!answer.toBool()) return false;
    destroyWindow(w);
    return true;
}

void TestHost::destroyWindow(const std::shared_ptr<HostWindow>& w) {
    if (!w || w->destroying) return;
    std::string l = label(*w);
    w->raise(cefhx::BrowserEvent::BeforeClose, {});
    w->destroying = true;
    rt::Value left = w->callMember("on_destroy", {});
    Record::instance().write("on_destroy", l, "-> " + describe(left));
    ml_destroy_window(w->hwnd());
    windows_.erase(w->hwnd());
}

void TestHost::setProperty(const std::shared_ptr<HostWindow>& w, WindowProperty id,
                           const rt::Value& v) {
    if (const uint32_t notice = cefhx::changeWindowProperty(*w, id, v)) {
        ml_post(w->hwnd(), notice, 0, 0);
    }
}

bool TestHost::postTask(ml_hwnd hwnd, const rt::Value& delay) {
    return cefhx::postWindowTask(hwnd, delay, &runPostedTask);
}

bool TestHost::claimInstance(const std::string& name) {
    if (!ensureLoop()) return false;
    std::string tagged = name;
    if (std::string tag = env("TESTHOST_INSTANCE_TAG"); !tag.empty()) tagged += "#" + tag;
    return instance_.claim(tagged, [this] {
        for (const auto& w : windows()) {
            if (w->messageHook) ml_post(w->hwnd(), cefhx::kNewAppMessage, 0, 0);
        }
    });
}

rt::Value TestHost::pageAnswer(const std::string& name) const {
    auto it = pageAnswers_.find(name);
    return it == pageAnswers_.end() ? rt::Value() : it->second;
}

void TestHost::setPageAnswer(const std::string& name, const rt::Value& v) {
    pageAnswers_[name] = v;
}

intptr_t TestHost::windowProc(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam,
                              void*) {
    return instance().handleMessage(hwnd, msg, wparam, lparam);
}

intptr_t TestHost::handleMessage(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam) {
    std::shared_ptr<HostWindow> w = windowByHwnd(hwnd);
    if (!w || w->destroying) return 0;
    const std::string l = label(*w);
    const cefhx::WindowMessage m = cefhx::decodeWindowMessage(msg, wparam, lparam);
    switch (m.kind) {
        case cefhx::WindowMessage::Kind::Member: {
            rt::Value answer = w->callMember(m.member, {});
            Record::instance().write(m.member, l, "-> " + describe(answer));
            return answer.toBool() ? 1 : 0;
        }
        case cefhx::WindowMessage::Kind::System:
            if (!w->messageHook) {
                Record::instance().write("system", l,
                                         m.systemKind + " ignored: the message hook is off");
                return 0;
            }
            Record::instance().write("system", l,
                                     m.systemKind + " " + describe(m.a) + " " + describe(m.b));
            return w->callMember("onSystemMessage", {rt::Value(m.systemKind), m.a, m.b}).toBool()
                       ? 1
                       : 0;
        case cefhx::WindowMessage::Kind::Close:
            closeWindow(w);
            return 0;
        case cefhx::WindowMessage::Kind::Other:
            break;
    }
    return ml_default_proc(hwnd, msg, wparam, lparam);
}

}  // namespace testhost
