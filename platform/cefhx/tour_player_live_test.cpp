// Scripted tours against a live headless Chromium. Each case runs this program again as a child
// that plays the program's part: cef_app_main with the tour variables set, one window on a test
// page, and quit when the page asks for it. The parent checks the tour log, the screenshots and
// how the child ended.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "platform/cefhx/test_window.h"
#include "runtime/create.h"
#include "runtime/function.h"
#include "runtime/record.h"
#include "runtime/strings.h"

namespace cefhx::testing {
namespace {

namespace fs = std::filesystem;

void writeFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

void writePages(const fs::path& res) {
    writeFile(res / "form.html", R"(<!doctype html><html><head><title>form</title><style>
body { background: #f4ecd8; font: 28px sans-serif; margin: 40px; }
h1 { color: #2a4d8f; }
</style></head><body>
<h1 id="greeting">Who are you?</h1>
<input id="name"> <button id="go">Go</button> <button id="quit">Quit</button>
<button id="close">Close</button>
<script>
let changed = '';
document.getElementById('name').addEventListener('change', e => { changed = e.target.value; });
document.body.addEventListener('input', () => { window.inputBubbled = true; });
document.getElementById('go').onclick = () => setTimeout(() => {
  document.getElementById('greeting').textContent = 'Hello, ' + changed;
}, 150);
document.getElementById('quit').onclick = () => cefhx.call('quit');
document.getElementById('close').onclick = () => cefhx.call('close');
</script></body></html>)");
    writeFile(res / "leave.html", R"(<!doctype html><title>leave</title>
<script>window.onload = () => cefhx.call('quit');</script>)");
}

// The child: the program's side of one tour run.
int playChild(const fs::path& folder, const std::string& page) {
    rt::Ref<RecordingWindow> w;
    rt::Value ready = rt::Function::of("ready", [&](std::span<const rt::Value>) {
        w = rt::create<RecordingWindow>();
        w->url = (folder / "resource" / page).string();
        w->onCall = [&w](const std::string& name, const rt::Ref<rt::Array>&) -> rt::Value {
            if (name == "quit") callHost("cef_app_quit", {});
            if (name == "close") callHost("cef_window_close", {w->handle});
            return {};
        };
        // A click on the program's tray icon quits, as the tour's tray step plays it.
        w->onSystem = [](const std::string& kind, const rt::Value&) {
            if (kind == "tray") callHost("cef_app_quit", {});
        };
        callHost("cef_window_create", {640, 480, 0, w, rt::Record::of({{"isInit", false}})});
        callHost("window_set_message_hook", {w->handle, true});
        return rt::Value();
    });
    callHost("cef_app_main", {ready, rt::Record::of({{"locale", "en-US"}})});
    std::ofstream result(folder / "result");
    result << (w && w->has("on_destroy") ? "window destroyed\n" : "window left\n");
    std::vector<int> left = processesMentioning((folder / "profile").string());
    result << left.size() << " browser processes left\n";
    return left.empty() ? 0 : 3;
}

struct TourRun {
    int status = -1;  // the child's exit code, -1 when it did not exit by itself
    std::vector<std::string> log;
    std::string result;
};

class TourLive : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/cefhx-tour-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        folder_ = name;
        writePages(folder_ / "resource");
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path tourFile() const { return folder_ / "tour.txt"; }
    fs::path logFile() const { return folder_ / "tour.log"; }

    // Plays `tour` in a child whose window shows `page`; a guard kills a child that hangs.
    TourRun play(const std::string& page, const std::string& tour, const std::string& timeoutMs,
                 const fs::path& shots) {
        writeFile(tourFile(), tour);
        pid_t pid = fork();
        if (pid == 0) {
            setenv("CEFHX_TOUR", tourFile().c_str(), 1);
            setenv("CEFHX_TOUR_LOG", logFile().c_str(), 1);
            setenv("CEFHX_SHOTS", shots.c_str(), 1);
            setenv("CEFHX_TOUR_STEP_TIMEOUT_MS", timeoutMs.c_str(), 1);
            setenv("CEFHX_PROFILE_DIR", (folder_ / "profile").c_str(), 1);
            setenv("CEFHX_HEADLESS", "1", 1);
            execl("/proc/self/exe", "tour-child", "--play", folder_.c_str(), page.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        TourRun run;
        int status = 0;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
        run.log = lines(readFile(logFile()));
        run.result = readFile(folder_ / "result");
        return run;
    }
    TourRun play(const std::string& page, const std::string& tour,
                 const std::string& timeoutMs = "30000") {
        return play(page, tour, timeoutMs, folder_ / "shots");
    }

    fs::path folder_;
};

TEST_F(TourLive, FillsClicksWaitsShootsAndLetsTheProgramQuit) {
    const fs::path shots = folder_ / "out" / "shots";  // made with its parents
    TourRun run = play("form.html",
                       "# the form tour\n"
                       "wait form.html document.readyState === 'complete'\n"
                       "\n"
                       "fill form.html #name Ann \"O'Neil\" </script>\n"
                       "click form.html #go\n"
                       "wait form.html document.getElementById('greeting').textContent === "
                       "'Hello, Ann \"O\\'Neil\" </script>' && window.inputBubbled\n"
                       "pause 50\n"
                       "shot form.html greeting\n"
                       "# an object too large to copy back counts as true\n"
                       "wait form.html window\n"
                       "click form.html #quit\n",
                       "10000", shots);
    EXPECT_EQ(run.status, 0) << run.result;
    const std::string png = (shots / "greeting.png").string();
    const std::vector<std::string> expected = {
        "tour start " + tourFile().string(),
        "tour step 2 done: wait form.html document.readyState === 'complete'",
        "tour step 4 done: fill form.html #name Ann \"O'Neil\" </script>",
        "tour step 5 done: click form.html #go",
        "tour step 6 done: wait form.html document.getElementById('greeting').textContent === "
        "'Hello, Ann \"O\\'Neil\" </script>' && window.inputBubbled",
        "tour step 7 done: pause 50",
        "tour shot " + png,
        "tour step 8 done: shot form.html greeting",
        "tour step 10 done: wait form.html window",
        "tour step 11 done: click form.html #quit",
        "tour done",
    };
    EXPECT_EQ(run.log, expected);
    EXPECT_EQ(run.result, "window destroyed\n0 browser processes left\n");

    const std::string data = readFile(png);
    EXPECT_EQ(data.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_GT(data.size(), 1024u);
    // Written through a temporary that is gone again.
    int files = 0;
    for (const auto& entry : fs::directory_iterator(shots)) files += entry.is_regular_file();
    EXPECT_EQ(files, 1);
}

// Headless the host shows no boxes or menus (syslite answers them from its answers file): the
// steps that act on them are done at once, and a tray click reaches the window as the icon's.
TEST_F(TourLive, HeadlessMenuAndBoxStepsAreDoneAtOnceAndATrayClickReachesTheWindow) {
    TourRun run = play("form.html",
                       "wait form.html document.readyState === 'complete'\n"
                       "menu About\n"
                       "box OK\n"
                       "tray form.html 517\n",
                       "10000");
    EXPECT_EQ(run.status, 0) << run.result;
    ASSERT_EQ(run.log.size(), 6u);
    EXPECT_EQ(run.log[2], "tour step 2 done: menu About");
    EXPECT_EQ(run.log[3], "tour step 3 done: box OK");
    EXPECT_EQ(run.log[4], "tour step 4 done: tray form.html 517");
    EXPECT_EQ(run.log[5], "tour done");
    EXPECT_EQ(run.result, "window destroyed\n0 browser processes left\n");
}

// The step timeout also bounds the first wait, which includes Chromium's start and the page's
// load: a loaded machine took longer than 5 s for them.
TEST_F(TourLive, AFailingWaitEndsTheProgramAndNamesTheLine) {
    TourRun run = play("form.html",
                       "wait form.html document.readyState === 'complete'\n"
                       "# the page has no such thing\n"
                       "wait form.html missingThing.ready\n"
                       "click form.html #go\n",
                       "20000");
    EXPECT_EQ(run.status, 0) << run.result;
    ASSERT_EQ(run.log.size(), 3u) << rt::join(run.log, "\n");
    EXPECT_EQ(run.log[1], "tour step 1 done: wait form.html document.readyState === 'complete'");
    EXPECT_EQ(run.log[2],
              "tour FAIL line 3: wait form.html missingThing.ready: timed out after 20000 ms "
              "waiting for \"missingThing.ready\" to be true in \"form.html\" (last error: "
              "ReferenceError: missingThing is not defined)");
    // The loop ended as on a normal quit: the window was destroyed, Chromium is gone.
    EXPECT_EQ(run.result, "window destroyed\n0 browser processes left\n");
}

TEST_F(TourLive, AWindowThatNeverAppearsFailsAfterTheStepTimeout) {
    TourRun run = play("form.html", "shot nowhere.html picture\n", "1000");
    EXPECT_EQ(run.status, 0) << run.result;
    ASSERT_EQ(run.log.size(), 2u);
    EXPECT_EQ(run.log[1],
              "tour FAIL line 1: shot nowhere.html picture: timed out after 1000 ms waiting for "
              "window \"nowhere.html\"");
    EXPECT_FALSE(fs::exists(folder_ / "shots"));
    EXPECT_EQ(run.result, "window destroyed\n0 browser processes left\n");
}

TEST_F(TourLive, AWindowThatClosesBetweenStepsIsNotUsedAgain) {
    TourRun run = play("form.html",
                       "click form.html #close\n"
                       "fill form.html #name nobody\n",
                       "20000");
    EXPECT_EQ(run.status, 0) << run.result;
    ASSERT_EQ(run.log.size(), 3u) << rt::join(run.log, "\n");
    EXPECT_EQ(run.log[1], "tour step 1 done: click form.html #close");
    EXPECT_EQ(run.log[2],
              "tour FAIL line 2: fill form.html #name nobody: timed out after 20000 ms waiting for "
              "window \"form.html\"");
}

TEST_F(TourLive, ABadSelectorFailsWithoutWaiting) {
    // A long step timeout: the failure must come from the selector, not from the clock.
    TourRun run = play("form.html", "click form.html button[\n", "600000");
    EXPECT_EQ(run.status, 0) << run.result;
    ASSERT_EQ(run.log.size(), 2u);
    EXPECT_EQ(run.log[1].rfind("tour FAIL line 1: click form.html button[: bad selector: ", 0), 0u)
        << run.log[1];
}

TEST_F(TourLive, ATourThatDoesNotParseFailsBeforeItsFirstStep) {
    TourRun run = play("form.html",
                       "wait form.html true\n"
                       "shot form.html ../escape\n",
                       "600000");
    EXPECT_EQ(run.status, 0) << run.result;
    const std::vector<std::string> expected = {
        "tour start " + tourFile().string(),
        "tour FAIL line 2: shot form.html ../escape: shot name contains '/'",
    };
    EXPECT_EQ(run.log, expected);
    EXPECT_FALSE(fs::exists(folder_ / "escape.png"));
}

TEST_F(TourLive, ABadStepTimeoutFailsBeforeTheFirstStep) {
    TourRun run = play("form.html", "wait form.html true\n", "soon");
    EXPECT_EQ(run.status, 0) << run.result;
    ASSERT_EQ(run.log.size(), 2u);
    EXPECT_EQ(run.log[1], "tour FAIL line 0: " + tourFile().string() +
                              ": CEFHX_TOUR_STEP_TIMEOUT_MS=soon: not a positive number of "
                              "milliseconds");
}

TEST_F(TourLive, TheProgramQuittingFirstStopsTheTourQuietly) {
    TourRun run = play("leave.html", "pause 600000\nwait leave.html true\n", "600000");
    EXPECT_EQ(run.status, 0) << run.result;
    const std::vector<std::string> expected = {
        "tour start " + tourFile().string(),
        "tour ended early at line 1",
    };
    EXPECT_EQ(run.log, expected);
    EXPECT_EQ(run.result, "window destroyed\n0 browser processes left\n");
}

}  // namespace
}  // namespace cefhx::testing

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--play") {
        return cefhx::testing::playChild(argv[2], argv[3]);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
