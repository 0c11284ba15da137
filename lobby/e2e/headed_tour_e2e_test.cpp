// The real MorvickNew on the real browser host with a display: Chromium headed on a private Xvfb
// with openbox that the test starts and stops, playing the sample tour with the tray menu and
// the about box. At each stop the tour waits on a gate file while the test looks at the screen
// through X (which windows are viewable, their client areas and states, a box's owner) and saves
// a screenshot of the whole screen; then it opens the gate and the tour goes on.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "lobby/e2e/png_image.h"
#include "lobby/e2e/program_run.h"
#include "lobby/e2e/test_install.h"
#include "platform/cefhx/dialog_page.h"
#include "platform/cefhx/test_display.h"

namespace e2e {
namespace {

using cefhx::XWindowId;
using cefhx::testing::TestDisplay;

constexpr int kScreenWidth = 1600;
constexpr int kScreenHeight = 900;
// The sizes the program asks for: the login page's, a game page's (1350x710, one pixel taller
// once its browser is made); the lobby is maximised after the login and fills the screen (no
// panels here).
constexpr int kLoginWidth = 470, kLoginHeight = 343;
constexpr int kGameWidth = 1350, kGameHeight = 711;
// The tray menu (three short items) and the about box (one line of text) as the host makes them.
constexpr const cefhx::DialogLayout& kLayout = cefhx::kDialogLayout;
constexpr int kTrayMenuWidth = kLayout.menuMinWidth;
constexpr int kTrayMenuHeight = kLayout.menuFrame + 3 * kLayout.menuRow;
constexpr int kBoxWidth = kLayout.boxWidth, kOneLineBoxHeight = kLayout.boxFrame + kLayout.boxLine;
// The lobby's tray menu and about box texts (UTF-8 is the program's code page here).
constexpr const char* kAboutText = "\xE5\x85\xB3\xE4\xBA\x8E";
constexpr const char* kQuitText = "\xE9\x80\x80\xE5\x87\xBA";
constexpr int kTourGuardMs = 300000;

// What one stop expects on screen: the viewable windows by title, with the client size of
// those whose size the program sets (0 for any), and for a box the title of the window it is a
// modal dialog of.
struct Expected {
    std::string title;
    int width = 0;
    int height = 0;
    std::string modalFor = {};
};

struct Stop {
    int afterLine = 0;  // the tour line whose "done" means the tour waits at this stop
    std::string name;
    std::vector<Expected> windows;
};

class HeadedTourE2eTest : public ::testing::Test {
protected:
    HeadedTourE2eTest() : install_(realHostPaths()) {}

    static BuildPaths realHostPaths() {
        BuildPaths paths = buildPaths();
        paths.testHost = paths.binDir + "/libcefhx.so";
        return paths;
    }

    // Adds a tour line and answers its number.
    int line(const std::string& text) {
        tour_ << text << "\n";
        return ++lines_;
    }

    // A stop: the tour waits in `window` until the test has looked and opened the gate.
    void stop(const std::string& window, const std::string& name, std::vector<Expected> shown) {
        const std::string gate = install_.path("gates/" + name);
        stops_.push_back({lines_, name, std::move(shown)});
        line("wait " + window + " (() => { const r = new XMLHttpRequest(); try { r.open('GET', " +
             "'file://" + gate + "', false); r.send(); return r.responseText === 'go'; } " +
             "catch (e) { return false; } })()");
    }

    std::string tourLog() const { return install_.readFile("tour.log"); }

    // Waits until the tour log has the line's "done", or the tour ended or failed.
    bool reached(int lineNumber) {
        const std::string done = "tour step " + std::to_string(lineNumber) + " done";
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(4);
        for (;;) {
            const std::string log = tourLog();
            if (log.find(done) != std::string::npos) return true;
            if (log.find("FAIL") != std::string::npos ||
                log.find("tour done") != std::string::npos ||
                std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }

    // The screen as the stop expects it; the windows settle through the window manager, so the
    // look is repeated until it matches (or the guard runs out and the last look is reported).
    void look(TestDisplay& display, const Stop& s) {
        SCOPED_TRACE(s.name);
        std::string seen;
        PngImage shot;
        size_t colours = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        bool match = false;
        while (!match && std::chrono::steady_clock::now() < deadline) {
            std::ostringstream what;
            std::multiset<std::string> titles;
            match = true;
            for (XWindowId w : display.viewableClients()) {
                const std::string title = display.title(w);
                titles.insert(title);
                const cefhx::XRect r = display.clientArea(w);
                std::vector<std::string> state = display.netWmState(w);
                what << "[" << title << " " << r.width << "x" << r.height << "]";
                const auto it = std::find_if(s.windows.begin(), s.windows.end(),
                                             [&](const Expected& e) { return e.title == title; });
                if (it == s.windows.end() ||
                    (it->width && (r.width != it->width || r.height != it->height)) ||
                    std::count(state.begin(), state.end(), "_NET_WM_STATE_HIDDEN") ||
                    (!it->modalFor.empty() && !modalDialogOf(display, w, it->modalFor))) {
                    match = false;
                }
            }
            std::multiset<std::string> wanted;
            for (const Expected& e : s.windows) wanted.insert(e.title);
            match = match && titles == wanted;
            seen = what.str();
            if (match) {
                shot = screenshot(display);
                // Where a window shows, something is drawn: not one flat colour. A window just
                // mapped may not be painted yet, so this is part of what is waited for.
                colours = distinctColours(shot);
                if (!s.windows.empty() && colours < 16u) {
                    match = false;
                    seen += " (drawn in " + std::to_string(colours) + " colours)";
                }
            }
            if (!match) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        EXPECT_TRUE(match) << "on screen: " << seen;
        if (shot.pixels.empty()) shot = screenshot(display);
        install_.writeFile("screen/" + s.name + ".png", encodePng(shot));
    }

    // The window is transient for the viewable window titled `owner` and modal.
    static bool modalDialogOf(TestDisplay& display, XWindowId w, const std::string& owner) {
        const XWindowId of = display.transientFor(w);
        const std::vector<XWindowId> shown = display.viewableClients();
        std::vector<std::string> state = display.netWmState(w);
        return of && std::count(shown.begin(), shown.end(), of) && display.title(of) == owner &&
               std::count(state.begin(), state.end(), "_NET_WM_STATE_MODAL") == 1;
    }

    static PngImage screenshot(TestDisplay& display) {
        int width = 0, height = 0;
        std::vector<unsigned char> rgb = display.screenRgb(&width, &height);
        PngImage shot;
        shot.width = width;
        shot.height = height;
        for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
            shot.pixels.push_back(uint32_t{rgb[i]} << 16 | uint32_t{rgb[i + 1]} << 8 | rgb[i + 2]);
        }
        return shot;
    }

    TestInstall install_;
    std::ostringstream tour_;
    int lines_ = 0;
    std::vector<Stop> stops_;
};

TEST_F(HeadedTourE2eTest, EachStepShowsExactlyTheProgramsWindowsAtTheirSizes) {
    TestDisplay display(kScreenWidth, kScreenHeight);
    const std::vector<Expected> login = {{"Login", kLoginWidth, kLoginHeight}};
    const std::vector<Expected> lobby = {{"Lobby", kScreenWidth, kScreenHeight}};
    line("wait lobby.html document.body.dataset.configured === '1'");
    line("wait login.html document.body.dataset.state === 'ready'");
    stop("login.html", "01-login", login);
    line("fill login.html #user player1");
    line("fill login.html #pass no");
    line("click login.html #logIn");
    line("wait login.html document.body.dataset.state === 'failed'");
    stop("login.html", "02-login-refused", login);
    line("fill login.html #pass secret");
    line("click login.html #logIn");
    line("wait lobby.html document.body.dataset.loggedIn === '1'");
    line("wait lobby.html document.querySelectorAll('#games .game').length > 0");
    stop("lobby.html", "03-lobby", lobby);
    // The player right-clicks the tray icon: the menu opens at the pointer over the lobby, and
    // its about item shows the about box, modal to the lobby, until its OK is clicked.
    line("tray lobby.html 517");
    stop("lobby.html", "04-tray-menu", {lobby[0], {"Menu", kTrayMenuWidth, kTrayMenuHeight}});
    line(std::string("menu ") + kAboutText);
    stop("lobby.html", "05-about-box",
         {lobby[0], {kAboutText, kBoxWidth, kOneLineBoxHeight, "Lobby"}});
    line("box OK");
    stop("lobby.html", "06-lobby-after-box", lobby);
    line("click lobby.html button[data-room=\"201-1-1\"]");
    line(
        "wait gameplug.html document.getElementById('log').textContent.includes('welcome, "
        "cards')");
    // A fixed-seat game shows the game program's own window: its page stays hidden, and the
    // lobby is minimised while a game runs.
    stop("gameplug.html", "07-card-table", {});
    line("click gameplug.html #leave");
    line("wait lobby.html document.body.dataset.openRooms === '0'");
    stop("lobby.html", "08-lobby-again", lobby);
    line("click lobby.html button[data-room=\"101-1-1\"]");
    line("wait game.html document.getElementById('log').textContent.includes('openGame')");
    stop("game.html", "09-quiz", {{"Page game", kGameWidth, kGameHeight}});
    line("click game.html #leave");
    line("wait lobby.html document.body.dataset.openRooms === '0'");
    // The tray menu's quit ends the program.
    line("tray lobby.html 517");
    line(std::string("menu ") + kQuitText);
    install_.writeFile("headed-tour.txt", tour_.str());

    LoopbackConfig config;
    config.product = "MorvickHeaded-" + std::to_string(getpid());
    writeConfiguration(install_, config);
    ProgramRun run(install_, "headed", "unused");
    run.setEnv("DISPLAY", display.name());
    run.setEnv("CEFHX_HEADLESS", "0");
    run.setEnv("CEFHX_PROFILE_DIR", install_.path("browser-profile"));
    run.setEnv("CEFHX_TOUR", install_.path("headed-tour.txt"));
    run.setEnv("CEFHX_SHOTS", install_.path("shots"));
    run.setEnv("CEFHX_TOUR_LOG", install_.path("tour.log"));
    run.setEnv("CEFHX_TOUR_STEP_TIMEOUT_MS", "240000");
    run.setEnv("MORVICK_BIN", buildPaths().binDir);
    run.setEnv("MORVICK_GAME_LOGS", install_.path("games"));
    run.start();
    for (const Stop& s : stops_) {
        ASSERT_TRUE(reached(s.afterLine)) << s.name << "\ntour:\n" << tourLog();
        look(display, s);
        install_.writeFile("gates/" + s.name, "go");
    }
    const int exitCode = run.wait(kTourGuardMs);
    const std::string log = tourLog();
    EXPECT_EQ(exitCode, 0) << log << run.output();
    EXPECT_NE(log.find("\ntour done"), std::string::npos) << log << run.output();
    // Quitting closed every window.
    EXPECT_TRUE(display.viewableClients().empty());
}

}  // namespace
}  // namespace e2e
