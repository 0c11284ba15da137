// The real MorvickNew on the real browser host in headless Chromium, in a copy of the sample
// installation, playing tours through the games it already has: a refused and an accepted login
// relayed through the lobby page, the lobby, a card-table room whose game program and the lobby
// page exchange messages, a quiz room, the lobby's quit button; and a tour through a room of
// every other native game.
#include <dirent.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "lobby/e2e/page_picture.h"
#include "lobby/e2e/program_run.h"
#include "lobby/e2e/test_install.h"

namespace e2e {
namespace {

// Chromium's start and five pages under a loaded machine; a guard, not a speed check.
constexpr int kTourGuardMs = 240000;

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Processes whose command line mentions the text (the run's own profile folder).
std::vector<std::string> processesMentioning(const std::string& text) {
    std::vector<std::string> found;
    DIR* proc = opendir("/proc");
    if (!proc) return found;
    while (dirent* e = readdir(proc)) {
        const std::string pid = e->d_name;
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        std::string line = readAll("/proc/" + pid + "/cmdline");
        if (line.find(text) != std::string::npos) found.push_back(pid);
    }
    closedir(proc);
    return found;
}

class SampleTourE2eTest : public ::testing::Test {
protected:
    SampleTourE2eTest() : install_(realBrowserHostPaths()) {}

    // Plays a tour in a run of the program and checks that it ended well: exit code 0, "tour
    // done", no failed step, no browser process left on the run's profile.
    void play(const std::string& tourFile) {
        // A configuration all on loopback, with a product name of this run's own so that the
        // single-instance check cannot meet another copy on this machine.
        LoopbackConfig config;
        config.product = "MorvickTour-" + std::to_string(getpid());
        writeConfiguration(install_, config);

        ProgramRun run(install_, "tour", "unused");
        run.playTour(tourFile);
        run.start();
        const int exitCode = run.wait(kTourGuardMs);

        const std::string tour = install_.readFile("tour.log");
        const std::string story = "tour:\n" + tour + "output:\n" + run.output();
        EXPECT_EQ(exitCode, 0) << story;
        EXPECT_NE(tour.find("\ntour done"), std::string::npos) << story;
        EXPECT_EQ(tour.find("FAIL"), std::string::npos) << story;
        // The program ended its browser: nothing runs on this run's profile any more.
        EXPECT_TRUE(processesMentioning(install_.path("browser-profile")).empty()) << story;
    }

    // What the sample game program <app> logged.
    std::string gameLog(const std::string& app) const {
        return install_.readFile("games/" + app + ".log");
    }

    TestInstall install_;
};

TEST_F(SampleTourE2eTest, LogsInOpensACardTableExchangesMessagesAndQuits) {
    ASSERT_NO_FATAL_FAILURE(play(MORVICK_INSTALLED_GAMES_TOUR));
    if (HasFailure()) return;

    // The server's answer that the lobby page sent reached the game program, and leaving the
    // room ended the program normally.
    const std::string game = gameLog("cards");
    EXPECT_NE(game.find("welcome, cards"), std::string::npos) << game;
    EXPECT_NE(game.find("end code=0"), std::string::npos) << game;

    // Each window's screenshot shows a page: many colours, none taking nearly all of it.
    for (const char* name : {"01-login", "02-login-refused", "03-lobby", "04-card-table",
                             "05-lobby-messages", "06-quiz"}) {
        SCOPED_TRACE(name);
        expectPagePicture(install_.readFile(std::string("shots/") + name + ".png"));
    }
    // The refused login shows its error text: the picture differs from the first one.
    EXPECT_NE(install_.readFile("shots/01-login.png"),
              install_.readFile("shots/02-login-refused.png"));
}

// Every native window mode's sample room: the Pexmor fishing, fishing, match and hosted games
// each greet the lobby page, get its answer and thank for it, then end when the room is left.
TEST_F(SampleTourE2eTest, EveryNativeGameRoomExchangesMessagesWithTheLobbyPage) {
    ASSERT_NO_FATAL_FAILURE(play(MORVICK_ROOMS_TOUR));
    if (HasFailure()) return;
    for (const char* app : {"pexfish", "fish", "match", "npgame"}) {
        SCOPED_TRACE(app);
        const std::string game = gameLog(app);
        EXPECT_NE(game.find(std::string("welcome, ") + app), std::string::npos) << game;
        EXPECT_NE(game.find("end code=0"), std::string::npos) << game;
    }
}

}  // namespace
}  // namespace e2e
