// The primitive bodies against a recording backend: hostile arguments, unknown handles and
// windows being destroyed reach no window operation, and arguments out of range reach the
// backend in range.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/cefhx/host_backend.h"
#include "platform/cefhx/primitives.h"
#include "runtime/array.h"
#include "runtime/c_value.h"
#include "runtime/record.h"
#include "runtime/value_scope.h"

namespace cefhx {
namespace {

using rt::Value;

constexpr ml_hwnd kLiveHandle = 7;

// Keeps every call: `calls` the calls handed over, `acts` the operations asked for. An
// operation on a window is written "window <operation>".
class RecordingBackend final : public HostBackend {
public:
    std::vector<std::string> calls;
    std::vector<std::string> acts;
    std::vector<std::string> failures;
    SharedWindow live;

    void called(std::string_view primitive, const Value* handle,
                std::span<const Value> args) override {
        calls.push_back(std::string(primitive) + (handle ? " " + handle->toString() : "") + " " +
                        std::to_string(args.size()));
    }
    void failed(const std::string& failure) override { failures.push_back(failure); }

    void runMain(const Value&, const Value&) override { act("runMain"); }
    void requestQuit() override { act("requestQuit"); }
    ScreenSize screen() override { return {800, 600}; }
    int registerHotKey(const SharedWindow& w, const std::string&, int, int) override {
        if (w) onWindow("registerHotKey");
        return -1;
    }
    bool unregisterHotKey(const SharedWindow& w, const std::string&) override {
        if (w) onWindow("unregisterHotKey");
        return false;
    }
    bool claimInstance(const std::string& name) override { return act("claim " + name); }
    bool closeProcesses(const std::string& program) override { return act("close " + program); }
    bool closeProcess(int pid) override { return act("close " + std::to_string(pid)); }
    void sendMessage(long target, const std::string& text, int number) override {
        act("send " + std::to_string(target) + " " + text + " " + std::to_string(number));
    }
    void setFilterPaths(std::vector<std::string> paths) override {
        std::string all = "filter";
        for (const std::string& p : paths) all += " " + p;
        act(all);
    }
    Value createWindow(int, int, int, const Value&, const Value&) override {
        act("createWindow");
        return {};
    }
    SharedWindow window(ml_hwnd hwnd) override { return hwnd == kLiveHandle ? live : nullptr; }
    bool closeWindow(const SharedWindow&) override { return onWindow("closeWindow"); }
    void showWindow(const SharedWindow&, bool) override { onWindow("showWindow"); }
    void setProperty(const SharedWindow&, WindowProperty, const Value&) override {
        onWindow("setProperty");
    }
    void setBrowserSize(const SharedWindow&, const Value&, const Value&) override {
        onWindow("setBrowserSize");
    }
    void setNativeTitle(const SharedWindow&, const std::string&) override {
        onWindow("setNativeTitle");
    }
    void dragWindow(const SharedWindow&, MoveResize) override { onWindow("dragWindow"); }
    void setWindowRound(const SharedWindow&, int, int, int, int, int, int) override {
        onWindow("setWindowRound");
    }
    bool postTask(ml_hwnd hwnd, const Value&) override {
        return act("postTask " + std::to_string(hwnd));
    }
    void setFocusEmulation(HostWindow&, bool) override { onWindow("setFocusEmulation"); }
    void mouseWheel(HostWindow&, int, int, int, int) override { onWindow("mouseWheel"); }
    void mouseMove(HostWindow&, int, int) override { onWindow("mouseMove"); }
    void mouseClick(HostWindow&, int x, int y, MouseButton button, bool up, int count) override {
        onWindow("mouseClick " + std::to_string(x) + " " + std::to_string(y) + " " +
                 std::to_string(static_cast<int>(button)) + (up ? " up " : " down ") +
                 std::to_string(count));
    }
    void keyEvent(HostWindow&, KeyEventType type, int code, int modifiers) override {
        onWindow("keyEvent " + std::to_string(static_cast<int>(type)) + " " + std::to_string(code) +
                 " " + std::to_string(modifiers));
    }
    void clearHistory(HostWindow&) override { onWindow("clearHistory"); }
    void find(HostWindow&, const std::string&, bool, bool) override { onWindow("find"); }
    void stopFind(HostWindow&) override { onWindow("stopFind"); }
    void stopLoad(HostWindow&) override { onWindow("stopLoad"); }
    void reload(HostWindow&, bool) override { onWindow("reload"); }
    void go(HostWindow&, bool) override { onWindow("go"); }
    bool canGo(HostWindow&, bool) override { return onWindow("canGo"); }
    void setFocus(HostWindow&, bool) override { onWindow("setFocus"); }
    void applyZoom(HostWindow&) override { onWindow("applyZoom"); }
    bool hasDocument(HostWindow&) override { return onWindow("hasDocument"); }
    bool isFocused(HostWindow&, const FrameInfo&) override { return onWindow("isFocused"); }
    Value invoke(HostWindow&, const FrameInfo&, const std::string&, const Value&) override {
        onWindow("invoke");
        return {};
    }
    Value evaluate(HostWindow&, const FrameInfo&, const std::string&) override {
        onWindow("evaluate");
        return {};
    }
    Value documentText(HostWindow&, const FrameInfo&) override {
        onWindow("documentText");
        return {};
    }
    Value documentSource(HostWindow&, const FrameInfo&) override {
        onWindow("documentSource");
        return {};
    }
    void execute(HostWindow&, const FrameInfo& f, const std::string& code,
                 const std::string& sourceUrl) override {
        onWindow("execute " + std::to_string(f.id) + " " + code + " [" + sourceUrl + "]");
    }
    void loadString(HostWindow&, const FrameInfo&, const std::string&) override {
        onWindow("loadString");
    }
    void loadUrl(HostWindow&, const FrameInfo&, const std::string&) override {
        onWindow("loadUrl");
    }
    void editCommand(HostWindow&, const FrameInfo&, std::string_view command) override {
        onWindow("editCommand " + std::string(command));
    }

    // Whether any operation was asked of a window.
    bool actedOnAWindow() const {
        for (const std::string& a : acts) {
            if (a.rfind("window ", 0) == 0) return true;
        }
        return false;
    }

private:
    bool act(std::string what) {
        acts.push_back(std::move(what));
        return false;
    }
    bool onWindow(const std::string& what) { return act("window " + what); }
};

RecordingBackend& recording() {
    static RecordingBackend backend;
    return backend;
}

// Every primitive of the list, to be called with one value for every argument.
struct Primitive {
    const char* name;
    int count;
    void* body;
};
#define CEFHX_PRIMITIVE_ENTRY(name, count, ...) \
    {#name, count, reinterpret_cast<void*>(&primitives::name)},
const Primitive kPrimitives[] = {CEFHX_PRIMITIVES(CEFHX_PRIMITIVE_ENTRY)};
#undef CEFHX_PRIMITIVE_ENTRY

Value callWithAll(const Primitive& p, const Value& v) {
    value a = rt::toC(v);
    switch (p.count) {
        case 0:
            return rt::fromC(reinterpret_cast<value (*)()>(p.body)());
        case 1:
            return rt::fromC(reinterpret_cast<value (*)(value)>(p.body)(a));
        case 2:
            return rt::fromC(reinterpret_cast<value (*)(value, value)>(p.body)(a, a));
        case 3:
            return rt::fromC(reinterpret_cast<value (*)(value, value, value)>(p.body)(a, a, a));
        case 4:
            return rt::fromC(
                reinterpret_cast<value (*)(value, value, value, value)>(p.body)(a, a, a, a));
        default:
            return rt::fromC(reinterpret_cast<value (*)(value, value, value, value, value)>(p.body)(
                a, a, a, a, a));
    }
}

value c(const Value& v) {
    return rt::toC(v);
}

class PrimitivesTest : public ::testing::Test {
protected:
    void TearDown() override {
        recording().calls.clear();
        recording().acts.clear();
        recording().failures.clear();
        recording().live.reset();
    }

    // A live window under kLiveHandle with its main frame and a child frame "side".
    HostWindow& openWindow() {
        recording().live = std::make_shared<HostWindow>(kLiveHandle, Value(), Value(), 640, 480, 0);
        recording().live->addFrame("main", "");
        recording().live->addFrame("child", "main").name = "side";
        recording().live->browserReady = true;
        return *recording().live;
    }

    rt::ValueScope scope_;
};

TEST_F(PrimitivesTest, HostileArgumentsAndUnknownHandlesReachNoWindowAndFailNothing) {
    const Value hostile[] = {Value(),
                             Value(424242),
                             Value(-1),
                             Value("7"),
                             Value(7.0),
                             rt::Array::of({7}),
                             rt::Record::of({{"x", 7}})};
    for (const Primitive& p : kPrimitives) {
        for (const Value& v : hostile) {
            SCOPED_TRACE(std::string(p.name) + " with " + v.toString());
            Value answer = callWithAll(p, v);
            EXPECT_FALSE(recording().actedOnAWindow()) << recording().acts.back();
            EXPECT_TRUE(recording().failures.empty()) << recording().failures.front();
            recording().acts.clear();
            recording().failures.clear();
        }
    }
}

TEST_F(PrimitivesTest, AWindowBeingDestroyedAnswersAsGone) {
    openWindow().destroying = true;
    const Value handle(static_cast<int32_t>(kLiveHandle));
    for (const Primitive& p : kPrimitives) {
        if (std::string_view(p.name).starts_with("cef_app_")) continue;
        SCOPED_TRACE(p.name);
        callWithAll(p, handle);
        EXPECT_FALSE(recording().actedOnAWindow()) << recording().acts.back();
        recording().acts.clear();
    }
    EXPECT_TRUE(rt::fromC(primitives::window_get_prop(c(handle), c(3))).isNull());
}

TEST_F(PrimitivesTest, ArgumentsOutOfRangeReachTheBackendInRange) {
    openWindow();
    const value h = c(Value(static_cast<int32_t>(kLiveHandle)));
    auto& acts = recording().acts;
    primitives::browser_sendmouseclickevent(h, c(rt::Record::of({{"x", 3}, {"y", 4}})), c(9),
                                            c(true), c(0));
    primitives::browser_sendmouseclickevent(h, c(Value()), c(-1), c(false), c(-5));
    primitives::browser_sendkeyevent(h, c(3), c(rt::Record::of({{"x", 65}})), c(2));
    primitives::browser_sendkeyevent(h, c(-1), c(Value("A")), c(Value()));
    EXPECT_EQ(acts, (std::vector<std::string>{"window mouseClick 3 4 0 up 1",
                                              "window mouseClick 0 0 0 down 1",
                                              "window keyEvent 0 65 2", "window keyEvent 0 0 0"}));
    acts.clear();

    // A source address breaking the line would end the comment that names the script.
    const value isMain = c(true);
    const value noName = c(Value());
    primitives::frame_executejavascript(h, isMain, noName, c("run()"),
                                        c(rt::Record::of({{"_url", "a.js\n//x"}})));
    primitives::frame_executejavascript(h, c(false), c("side"), c("run()"),
                                        c(rt::Record::of({{"_url", "b.js"}})));
    primitives::frame_executejavascript(h, c(false), c("none"), c("run()"), c(Value()));
    EXPECT_EQ(acts, (std::vector<std::string>{"window execute 1 run() []",
                                              "window execute 2 run() [b.js]"}));
    acts.clear();

    // Messages go only to a window number above 0, given as a number or as its text.
    primitives::cef_app_sendmessage(c("12"), c("hi"), c(3));
    primitives::cef_app_sendmessage(c(-4), c("hi"), c(3));
    primitives::cef_app_sendmessage(c("x"), c("hi"), c(3));
    primitives::cef_app_sendmessage(c(Value()), c(Value()), c(Value()));
    primitives::cef_app_setfilterpath(c(rt::Array::of({1, "", "/resource/", Value()})));
    primitives::cef_app_setfilterpath(c("/resource/"));
    EXPECT_EQ(acts, (std::vector<std::string>{"send 12 hi 3", "filter /resource/", "filter"}));
    acts.clear();

    // A task names its window by number only.
    EXPECT_FALSE(rt::fromC(primitives::cef_app_posttask(c("7"), c(10))).toBool());
    EXPECT_TRUE(acts.empty());
}

TEST_F(PrimitivesTest, CallsThatActAreHandedOverBeforeTheWindowIsLookedUp) {
    primitives::browser_reload(c(99), c(true));
    primitives::window_get_prop(c(99), c(3));
    primitives::cef_app_registeinstance(c("app"));
    primitives::frame_evaljavascript(c(99), c(true), c(Value()), c("1+1"));
    EXPECT_EQ(recording().calls,
              (std::vector<std::string>{"browser_reload 99 1", "cef_app_registeinstance 3",
                                        "eval 99 1"}));
}

}  // namespace
}  // namespace cefhx

cefhx::HostBackend& cefhx::hostBackend() {
    return cefhx::recording();
}
