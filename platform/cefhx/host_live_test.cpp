// The host against a live headless Chromium: one browser for the whole program. main() starts
// it through cef_app_main and runs every test from the ready function, inside the host's loop.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/cefhx/single_instance.h"
#include "platform/cefhx/test_window.h"
#include "platform/cefhx/window_messages.h"
#include "platform/msgloop/msgloop.h"
#include "runtime/bytes.h"
#include "runtime/create.h"
#include "runtime/function.h"
#include "runtime/record.h"

namespace cefhx::testing {
namespace {

namespace fs = std::filesystem;
using rt::Value;

fs::path g_folder;  // the test's pages (resource/) and browser profile (profile/)

void writeFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string pageUrl(const std::string& name) {
    return "file://" + (g_folder / "resource" / name).string();
}

void writePages() {
    const fs::path res = g_folder / "resource";
    writeFile(res / "index.html", R"(<!doctype html><html><head><title>index</title><script>
function add(a, b) { return a + b; }
function shape() { return { list: [1, 'x', null], nested: { ok: true } }; }
function callNative(name, ...args) {
  cefhx.call(name, ...args).then(
    r => { window.answer = { ok: true, value: r }; },
    e => { window.answer = { ok: false, value: String(e.message) }; });
}
</script></head><body><p>index page</p>
<iframe name="side" src="side.html"></iframe></body></html>)");
    writeFile(res / "side.html", R"(<!doctype html><html><head><script>
function whoami() { return window.name; }
</script></head><body>side</body></html>)");
    writeFile(res / "other.html", "<!doctype html><title>other</title><p>other</p>");
    writeFile(res / "forbidden.html", "<!doctype html><title>forbidden</title>");
}

// A window made through cef_window_create, as the binding makes it.
rt::Ref<RecordingWindow> makeWindow(const std::string& page, int flags = 0) {
    rt::Ref<RecordingWindow> w = rt::create<RecordingWindow>();
    w->url = (g_folder / "resource" / page).string();
    rt::Value browser = rt::Record::of({{"isInit", false}});
    callHost("cef_window_create", {640, 480, flags, w, browser});
    return w;
}

void listen(const rt::Ref<RecordingWindow>& w, std::initializer_list<int> events) {
    for (int id : events) callHost("browser_seteventhandle", {w->handle, id, true});
}

Value eval(const rt::Ref<RecordingWindow>& w, const std::string& code, bool isMain = true,
           const std::string& frame = "") {
    return callHost("frame_evaljavascript", {w->handle, isMain, frame, code});
}

bool loaded(const rt::Ref<RecordingWindow>& w, const std::string& page) {
    return pumpUntil([&] {
        return w->has("onLoadEnd " + pageUrl(page)) &&
               eval(w, "document.readyState").toString() == "complete";
    });
}

void closeWindow(const rt::Ref<RecordingWindow>& w) {
    w->allowClose = true;
    callHost("cef_window_close", {w->handle});
}

TEST(HostLive, WindowLifeEventsAndProperties) {
    rt::Ref<RecordingWindow> w = makeWindow("index.html", 512);
    // on_create comes during cef_window_create, with the loop window's number.
    ASSERT_TRUE(w->has("on_create"));
    ASSERT_TRUE(w->handle.isInt());
    listen(w, {2, 3, 9});
    ASSERT_TRUE(loaded(w, "index.html"));
    EXPECT_EQ(w->indexOf("on_create"), 0);
    int created = w->indexOf("onAfterCreated");
    int start = w->indexOf("onLoadStart");
    int address = w->indexOf("onAddressChange " + pageUrl("index.html"));
    int end = w->indexOf("onLoadEnd " + pageUrl("index.html"));
    EXPECT_GE(created, 1);
    EXPECT_LT(created, start);
    EXPECT_LT(start, end);
    EXPECT_LT(address, end);
    // Title changes were not registered, so none was raised.
    EXPECT_EQ(w->indexOf("onTitleChange"), -1);

    EXPECT_FALSE(callHost("window_get_prop", {w->handle, 13}).toBool());  // no caption flag
    EXPECT_EQ(callHost("window_get_prop", {w->handle, 3}).toInt(), 640);
    callHost("window_set_prop", {w->handle, 3, 700});
    EXPECT_EQ(callHost("window_get_prop", {w->handle, 3}).toInt(), 700);
    callHost("window_set_prop", {w->handle, 11, true});
    ASSERT_TRUE(pumpUntil([&] { return w->has("on_size") && w->has("on_minimize"); }));
    callHost("window_set_prop", {w->handle, 11, false});
    ASSERT_TRUE(pumpUntil([&] { return w->has("on_restore"); }));
    EXPECT_EQ(callHost("browser_getsize", {w->handle, 0}).get("width").toInt(), 700);
    EXPECT_EQ(callHost("cef_app_gethwndstr", {w->handle}).toString(),
              std::to_string(w->handle.toInt()));

    // A close the window refuses leaves it alive; one it allows destroys it.
    w->allowClose = false;
    EXPECT_FALSE(callHost("cef_window_close", {w->handle}).toBool());
    EXPECT_FALSE(w->has("on_destroy"));
    listen(w, {1});
    closeWindow(w);
    EXPECT_EQ(w->count("on_close"), 2);
    EXPECT_LT(w->indexOf("onBeforeClose"), w->indexOf("on_destroy"));
    EXPECT_TRUE(callHost("window_get_prop", {w->handle, 3}).isNull());
}

TEST(HostLive, PageCallsReachTheWindowAndGetTheirAnswer) {
    rt::Ref<RecordingWindow> w = makeWindow("index.html");
    listen(w, {3});
    w->onCall = [&](const std::string& name, const rt::Ref<rt::Array>& args) -> Value {
        if (name == "add") return args->get(0).toInt() + args->get(1).toInt();
        if (name == "nested") {
            // The program calls back into the page while the page's call is being answered.
            return callHost("frame_invokejsfunc",
                            {w->handle, true, "", "add", rt::Array::of({20, 22})});
        }
        if (name == "fail") throw std::runtime_error("refused by the test");
        if (name == "text") return Value("\xE5\xA4\xA7\xE5\x8E\x85 \x80 ok");
        return {};
    };
    ASSERT_TRUE(loaded(w, "index.html"));
    auto answer = [&](const std::string& call) {
        eval(w, "window.answer = undefined; " + call);
        pumpUntil([&] { return !eval(w, "window.answer").isNull(); });
        return eval(w, "window.answer");
    };
    Value sum = answer("callNative('add', 2, 3)");
    EXPECT_TRUE(sum.get("ok").toBool());
    EXPECT_EQ(sum.get("value").toInt(), 5);
    EXPECT_TRUE(w->has("on_jscall add"));
    // Each call names the document it came from, frames included.
    EXPECT_EQ(w->callers.back(), pageUrl("index.html"));
    eval(w, "cefhx.call('add', 1, 1); 0", false, "side");
    ASSERT_TRUE(pumpUntil([&] { return w->callers.size() == 2; }));
    EXPECT_EQ(w->callers.back(), pageUrl("side.html"));
    EXPECT_EQ(answer("callNative('nested')").get("value").toInt(), 42);
    Value failed = answer("callNative('fail')");
    EXPECT_FALSE(failed.get("ok").toBool());
    EXPECT_NE(failed.get("value").toString().find("refused by the test"), std::string::npos);
    // A text that is not valid UTF-8 still arrives, with the bad byte replaced.
    EXPECT_EQ(answer("callNative('text')").get("value").toString(),
              "\xE5\xA4\xA7\xE5\x8E\x85 \xEF\xBF\xBD ok");
    EXPECT_TRUE(answer("callNative('unknown')").get("value").isNull());
    closeWindow(w);
}

TEST(HostLive, ScriptCallsIntoFrames) {
    rt::Ref<RecordingWindow> w = makeWindow("index.html");
    listen(w, {3});
    ASSERT_TRUE(loaded(w, "index.html"));
    ASSERT_TRUE(pumpUntil([&] { return w->has("onLoadEnd " + pageUrl("side.html")); }));
    EXPECT_EQ(callHost("frame_invokejsfunc", {w->handle, true, "", "add", rt::Array::of({2, 40})})
                  .toInt(),
              42);
    Value shape = callHost("frame_invokejsfunc", {w->handle, true, "", "shape", rt::Array::of({})});
    EXPECT_EQ(shape.get("list").asArray()->get(1).toString(), "x");
    EXPECT_TRUE(shape.get("nested").get("ok").toBool());
    EXPECT_TRUE(callHost("frame_invokejsfunc", {w->handle, true, "", "missing", rt::Array::of({})})
                    .isNull());
    EXPECT_EQ(eval(w, "1 + 1;").toInt(), 2);
    EXPECT_TRUE(eval(w, "undefined").isNull());
    callHost("frame_executejavascript", {w->handle, true, "", "window.marker = 'set';",
                                         rt::Record::of({{"_url", ""}, {"x", 0}})});
    EXPECT_EQ(eval(w, "window.marker").toString(), "set");

    // The named frame is found by name and runs its own functions.
    Value side = callHost("browser_getframeobj", {w->handle, "side"});
    ASSERT_FALSE(side.isNull());
    EXPECT_EQ(side.get("y").toString(), "side");
    EXPECT_EQ(side.get("x").toInt(), 0);
    EXPECT_NE(side.get("_url").toInt(), callHost("browser_getmainframeid", {w->handle}).toInt());
    EXPECT_EQ(
        callHost("frame_invokejsfunc", {w->handle, false, "side", "whoami", rt::Array::of({})})
            .toString(),
        "side");
    EXPECT_EQ(callHost("frame_getparentid", {w->handle, false, "side"}).toInt(),
              callHost("browser_getmainframeid", {w->handle}).toInt());
    EXPECT_EQ(callHost("frame_geturl", {w->handle, false, "side"}).toString(),
              pageUrl("side.html"));
    EXPECT_TRUE(
        callHost("frame_invokejsfunc", {w->handle, false, "nope", "whoami", rt::Array::of({})})
            .isNull());
    closeWindow(w);
}

TEST(HostLive, ResourcesUnderTheFilterPathsComeFromTheWindowOrTheDisk) {
    callHost("cef_app_setfilterpath", {rt::Array::of({"/resource/"})});
    rt::Ref<RecordingWindow> w = makeWindow("archived.html");  // not on disk
    w->onEvent = [&](const std::string& name, const Value& payload) -> Value {
        if (name != "onBeforeResourceLoad") return true;
        std::string url(payload.str());
        rt::Ref<rt::Record> record = rt::make<rt::Record>();
        record->set("linkUrl", payload);
        if (url.find("archived.html") != std::string::npos) {
            record->set("x", rt::Bytes::of("<!doctype html><title>from archive</title>"
                                           "<script>window.entry = 'archive';</script>"));
            record->set("width", "text/html");
            record->set("minSize", 200);
        }
        callHost("window_onresloaded", {w->handle, record});
        return true;
    };
    listen(w, {3, 8});
    ASSERT_TRUE(loaded(w, "archived.html"));
    EXPECT_EQ(eval(w, "window.entry").toString(), "archive");
    EXPECT_TRUE(w->has("onBeforeResourceLoad " + pageUrl("archived.html")));
    // Answered with no data: the host reads the file from the folder itself.
    callHost("frame_loadurl", {w->handle, true, "", pageUrl("other.html")});
    ASSERT_TRUE(loaded(w, "other.html"));
    EXPECT_EQ(eval(w, "document.title").toString(), "other");
    // A file missing from the folder is answered 404 by the host, not left hanging.
    eval(w, "fetch('missing.txt').then(r => { window.status404 = r.status; }); 0");
    ASSERT_TRUE(pumpUntil([&] { return !eval(w, "window.status404").isNull(); }));
    EXPECT_EQ(eval(w, "window.status404").toInt(), 404);
    // Encoded separators decoded by the host never climb out of the served folder.
    eval(w,
         "fetch('..%2F..%2F..%2F..%2F..%2F..%2F..%2F..%2Fetc%2Fhostname')"
         ".then(r => { window.escaped = r.status; }); 0");
    ASSERT_TRUE(pumpUntil([&] { return !eval(w, "window.escaped").isNull(); }));
    EXPECT_EQ(eval(w, "window.escaped").toInt(), 403);
    closeWindow(w);
    callHost("cef_app_setfilterpath", {rt::Array::of({})});
}

TEST(HostLive, RefusedNavigationLeavesThePageWhereItWas) {
    rt::Ref<RecordingWindow> w = makeWindow("other.html");
    w->onEvent = [](const std::string& name, const Value& payload) -> Value {
        if (name == "onBeforeBrowse") {
            return payload.get("_url").toString().find("forbidden") == std::string::npos;
        }
        return {};
    };
    listen(w, {3, 11});
    ASSERT_TRUE(loaded(w, "other.html"));
    callHost("frame_loadurl", {w->handle, true, "", pageUrl("forbidden.html")});
    ASSERT_TRUE(pumpUntil([&] { return w->has("onBeforeBrowse " + pageUrl("forbidden.html")); }));
    // Still usable, and still on the page it had.
    callHost("frame_loadurl", {w->handle, true, "", pageUrl("index.html")});
    ASSERT_TRUE(loaded(w, "index.html"));
    EXPECT_FALSE(w->has("onLoadEnd " + pageUrl("forbidden.html")));
    EXPECT_EQ(eval(w, "document.title").toString(), "index");
    closeWindow(w);
}

// A window opens straight on its page: its first document is asked of the window like any
// other, and the bridge is there before the page's own first script runs.
TEST(HostLive, FirstDocumentIsSeenAndBridgedLikeAnyOther) {
    writeFile(g_folder / "resource" / "early.html",
              "<!doctype html><title>early</title><script>window.bridged = typeof cefhx;"
              "cefhx.call('early', document.readyState);</script>");
    rt::Ref<RecordingWindow> bridged = makeWindow("early.html");
    listen(bridged, {3});
    ASSERT_TRUE(loaded(bridged, "early.html"));
    EXPECT_EQ(eval(bridged, "window.bridged").toString(), "object");
    EXPECT_TRUE(pumpUntil([&] { return bridged->has("on_jscall early"); }));
    closeWindow(bridged);

    // Refused: the start page never loads, and the window goes on living.
    rt::Ref<RecordingWindow> refused = makeWindow("forbidden.html");
    refused->onEvent = [](const std::string& name, const Value& payload) -> Value {
        return name != "onBeforeBrowse" ||
               payload.get("_url").toString().find("forbidden") == std::string::npos;
    };
    listen(refused, {3, 11});
    ASSERT_TRUE(
        pumpUntil([&] { return refused->has("onBeforeBrowse " + pageUrl("forbidden.html")); }));
    callHost("frame_loadurl", {refused->handle, true, "", pageUrl("other.html")});
    ASSERT_TRUE(loaded(refused, "other.html"));
    EXPECT_FALSE(refused->has("onLoadEnd " + pageUrl("forbidden.html")));
    closeWindow(refused);

    // Served by the host from the folder: a start page that is a link out of it is refused.
    callHost("cef_app_setfilterpath", {rt::Array::of({"/resource/"})});
    std::filesystem::create_symlink("/etc/hostname", g_folder / "resource" / "outside.html");
    rt::Ref<RecordingWindow> linked = makeWindow("outside.html");
    listen(linked, {3, 8});
    ASSERT_TRUE(loaded(linked, "outside.html"));
    EXPECT_TRUE(linked->has("onBeforeResourceLoad " + pageUrl("outside.html")));
    EXPECT_EQ(eval(linked, "document.body.textContent").toString(), "refused");
    closeWindow(linked);
    callHost("cef_app_setfilterpath", {rt::Array::of({})});
}

TEST(HostLive, PopupsAndDialogsAskTheWindow) {
    rt::Ref<RecordingWindow> w = makeWindow("other.html");
    w->onEvent = [](const std::string& name, const Value&) -> Value {
        if (name == "onBeforePopup") return false;
        if (name == "onJSConfirm") return false;
        return {};
    };
    listen(w, {3, 7, 14, 15});
    ASSERT_TRUE(loaded(w, "other.html"));
    eval(w, "window.open('side.html', '_blank'); 0");
    ASSERT_TRUE(pumpUntil([&] { return w->has("onBeforePopup " + pageUrl("side.html")); }));
    eval(w, "setTimeout(() => { alert('hello'); window.said = confirm('sure?'); }, 0); 0");
    ASSERT_TRUE(pumpUntil([&] { return !eval(w, "window.said").isNull(); }));
    EXPECT_TRUE(w->has("onJSAlert hello"));
    EXPECT_TRUE(w->has("onJSConfirm sure?"));
    EXPECT_FALSE(eval(w, "window.said").toBool());
    closeWindow(w);
}

TEST(HostLive, TasksFromWorkerThreadsRunOnTheLoopThread) {
    rt::Ref<RecordingWindow> w = makeWindow("other.html");
    Value handle = w->handle;
    constexpr int kThreads = 4;
    constexpr int kEach = 25;
    std::atomic<int> refused{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                if (!callHost("cef_app_posttask", {handle, t == 0 ? 5 : 0}).toBool()) ++refused;
            }
        });
    }
    for (auto& worker : workers) worker.join();
    EXPECT_EQ(refused.load(), 0);
    ASSERT_TRUE(pumpUntil([&] { return w->count("on_task") == kThreads * kEach; }));
    int delayed = 0;
    for (const Value& payload : w->taskPayloads) delayed += payload.toInt() == 5;
    EXPECT_EQ(delayed, kEach);
    EXPECT_TRUE(callHost("cef_app_currentlyon", {0}).toBool());
    bool onWorker = true;
    std::thread([&] { onWorker = callHost("cef_app_currentlyon", {0}).toBool(); }).join();
    EXPECT_FALSE(onWorker);
    closeWindow(w);
    // A task for a window that is gone is dropped.
    callHost("cef_app_posttask", {handle, 0});
    ml_pump(50, nullptr);
    EXPECT_EQ(w->count("on_task"), kThreads * kEach);
}

TEST(HostLive, SystemMessagesReachHookedWindowsOnly) {
    rt::Ref<RecordingWindow> hooked = makeWindow("other.html");
    rt::Ref<RecordingWindow> plain = makeWindow("other.html");
    callHost("window_set_message_hook", {hooked->handle, true});
    std::string name = "cefhx-live-test-" + std::to_string(getpid());
    EXPECT_TRUE(callHost("cef_app_registeinstance", {name}).toBool());
    SingleInstance second;
    EXPECT_FALSE(second.claim(name, {}));
    ASSERT_TRUE(pumpUntil([&] { return hooked->has("onSystemMessage newapp"); }));
    ml_post(static_cast<ml_hwnd>(hooked->handle.toInt()), kTrayMessage, 1, 517);
    ml_post(static_cast<ml_hwnd>(plain->handle.toInt()), kTrayMessage, 1, 517);
    ASSERT_TRUE(pumpUntil([&] { return hooked->has("onSystemMessage tray"); }));
    EXPECT_FALSE(plain->has("onSystemMessage newapp"));
    EXPECT_FALSE(plain->has("onSystemMessage tray"));
    EXPECT_EQ(callHost("cef_app_registerhotkey", {hooked->handle, "boss", 1, 81}).toInt(), -1);
    EXPECT_EQ(callHost("cef_getsystemmetrics", {0}).toInt(), 1920);
    closeWindow(hooked);
    closeWindow(plain);
}

}  // namespace
}  // namespace cefhx::testing

int main(int argc, char** argv) {
    using namespace cefhx::testing;
    ::testing::InitGoogleTest(&argc, argv);
    char folder[] = "/tmp/cefhx-live-XXXXXX";
    if (!mkdtemp(folder)) return 2;
    g_folder = folder;
    writePages();
    setenv("CEFHX_PROFILE_DIR", (g_folder / "profile").c_str(), 1);
    setenv("CEFHX_HEADLESS", "1", 1);
    int result = 1;
    rt::Value ready = rt::Function::of("ready", [&](std::span<const rt::Value>) {
        result = RUN_ALL_TESTS();
        callHost("cef_app_quit", {});
        return rt::Value();
    });
    callHost("cef_app_main", {ready, rt::Record::of({{"locale", "en-US"}})});
    // Quit ended the browser: nothing started for this test's profile is left.
    std::vector<int> left = processesMentioning(g_folder.string());
    if (!left.empty()) {
        std::fprintf(stderr, "%zu browser processes outlived quit\n", left.size());
        result = 1;
    }
    std::filesystem::remove_all(g_folder);
    return result;
}
