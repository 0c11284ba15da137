// The road scripts/run-sample plays, with the real updater, the real MorvickNew and the real
// browser host in headless Chromium, against the sample update server and the sample download
// server on loopback: Haldor brings the copy from version 1 to 2 and starts the lobby program;
// the sample tour logs in, downloads the game the installation does not have from the lobby
// page, opens its room, and the downloaded game program exchanges messages with the page.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "lobby/e2e/page_picture.h"
#include "lobby/e2e/program_run.h"
#include "lobby/e2e/test_install.h"
#include "runtime/file.h"
#include "runtime/strings.h"
#include "tools/testhttp/server.h"
#include "updater/local_file.h"
#include "updater/update_files.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

const fs::path kExamples = MORVICK_EXAMPLES;
// Chromium's start, the update and the download under a loaded machine; a guard, not a speed
// check.
constexpr int kRoadGuardMs = 240000;
// The game file the download server sends slowly, so that the page shows the download running
// (the engine joins the server address and a path with a double "/": both are paced).
constexpr const char* kPacedFile = "/1_0_0/minigame/data/tiles.dat";

unsigned modeOf(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

std::string exampleFile(const std::string& relative) {
    return rt::File::getContent((kExamples / relative).string());
}

class SampleRoadE2eTest : public ::testing::Test {
protected:
    SampleRoadE2eTest() : install_(realBrowserHostPaths()) {}

    // The copy as scripts/run-sample makes it: the updater beside the program, "UpdateTemp.ini"
    // on the update server, "Client.ini" on the download server, a product name of this run's
    // own so that the single-instance check cannot meet another copy on this machine.
    void pointAtServers() {
        fs::copy_file(buildPaths().binDir + "/Haldor", install_.programFolder() + "Haldor");
        std::string state = install_.readFile("program/UpdateTemp.ini");
        ASSERT_NE(state.find("Temp1=\n"), std::string::npos) << state;
        state = rt::replaceAll(state, "Temp1=\n",
                               "Temp1=127.0.0.1:" + std::to_string(updates_.port()) + "\n");
        install_.writeFile("program/UpdateTemp.ini", state);

        std::string client = install_.readFile("program/Client.ini");
        const std::string sampleServer = "<download_url>http://127.0.0.1:18090/</download_url>";
        ASSERT_NE(client.find(sampleServer), std::string::npos) << client;
        ASSERT_EQ(client.find("<ver_url>"), std::string::npos) << client;
        const std::string url = downloads_.url("/");
        client = rt::replaceAll(
            client, sampleServer,
            "<ver_url>" + url + "</ver_url><download_url>" + url + "</download_url>");
        client = rt::replaceAll(client, "<product>Morvick Lobby</product>",
                                "<product>MorvickRoad-" + std::to_string(getpid()) + "</product>");
        install_.writeFile("program/Client.ini", client);
    }

    // Runs the updater, which starts the lobby program, which plays the tour; checks that both
    // ended well and the tour completed.
    void playRoad(const std::string& tourFile) {
        updates_.serveFolder("/", kExamples / "update-server");
        downloads_.serveFolder("/", kExamples / "download-server");
        for (const std::string& path : {std::string(kPacedFile), "/" + std::string(kPacedFile)}) {
            downloads_.setFault(path, testhttp::Fault::slowBody(4096));
        }
        ASSERT_NO_FATAL_FAILURE(pointAtServers());

        adoptOrphans();
        ProgramRun run(install_, "road", "unused");
        run.setProgram("Haldor");
        run.playTour(tourFile);
        run.start();
        const int updaterCode = run.wait(kRoadGuardMs);
        const int lobbyCode =
            updaterCode == 0 ? run.waitForLeftProgram("MorvickNew", kRoadGuardMs) : -2;

        const std::string tour = install_.readFile("tour.log");
        const std::string story = "tour:\n" + tour + "output:\n" + run.output();
        EXPECT_EQ(updaterCode, 0) << story;
        EXPECT_EQ(lobbyCode, 0) << story;
        EXPECT_NE(tour.find("\ntour done"), std::string::npos) << story;
        EXPECT_EQ(tour.find("FAIL"), std::string::npos) << story;
    }

    // Every file of version 1's list installed with its content, length and file time; the
    // replaced file keeps its mode, the new one can be read by all. The version and the server
    // stay recorded.
    void expectUpdated() {
        haldor::CUpdateFiles list({install_.path("program"), "", ""});
        ASSERT_TRUE(
            list.Load((kExamples / "update-server/update/1/FileConfig.xml").string(), false));
        int listed = 0;
        while (std::unique_ptr<haldor::CUpdateFile> entry = list.PopFront()) {
            SCOPED_TRACE(entry->target_path);
            ++listed;
            const std::optional<haldor::LocalFileInfo> local =
                haldor::ReadLocalFile(entry->target_path);
            ASSERT_TRUE(local.has_value());
            EXPECT_EQ(local->md5, entry->md5);
            EXPECT_EQ(local->length, entry->length);
            EXPECT_EQ(local->write_time, entry->file_time);
            EXPECT_EQ(modeOf(entry->target_path) & 0644, 0644u);
        }
        EXPECT_EQ(listed, 2);
        EXPECT_EQ(install_.readFile("program/resource/lobby/release.js"),
                  exampleFile("update-server/update/1/resource/lobby/release.js"));
        EXPECT_EQ(modeOf(program("resource/lobby/release.js")), 0644u);
        const std::string state = install_.readFile("program/UpdateTemp.ini");
        EXPECT_NE(state.find("CurrentVersion=2"), std::string::npos) << state;
        EXPECT_NE(state.find("Temp1=127.0.0.1:" + std::to_string(updates_.port())),
                  std::string::npos)
            << state;
    }

    std::string program(const std::string& relative) const {
        return install_.programFolder() + relative;
    }

    TestInstall install_;
    testhttp::Server updates_;
    testhttp::Server downloads_;
};

// The update alone: the lobby the updater started shows the new release and quits.
TEST_F(SampleRoadE2eTest, UpdatesTheCopyAndStartsTheLobby) {
    install_.writeFile("quit-tour.txt",
                       "wait lobby.html document.getElementById('release').textContent"
                       ".startsWith('Client version 2')\n"
                       "click lobby.html #quit\n");
    ASSERT_NO_FATAL_FAILURE(playRoad(install_.path("quit-tour.txt")));
    expectUpdated();
}

// Off until the download engine installs a new game program executable: until then the
// downloaded game program cannot start and the road stops at the game's room.
TEST_F(SampleRoadE2eTest, UpdatesDownloadsAGameAndPlaysIt) {
    ASSERT_NO_FATAL_FAILURE(playRoad((kExamples / "sample-tour.txt").string()));
    expectUpdated();

    // The download: each file from the newest version that changed it, the game's program
    // executable and its data not; the game and its files recorded.
    for (const char* file : {"minigame/index.html", "minigame/data/level1.dat"}) {
        EXPECT_EQ(install_.readFile(std::string("program/") + file),
                  exampleFile(std::string("download-server/1_0_1/") + file))
            << file;
    }
    for (const char* file : {"minigame/readme.txt", "minigame/data/level2.dat",
                             "minigame/data/tiles.dat", "minigame/minigame.exe", "common.txt"}) {
        EXPECT_EQ(install_.readFile(std::string("program/") + file),
                  exampleFile(std::string("download-server/1_0_0/") + file))
            << file;
    }
    EXPECT_EQ(modeOf(program("minigame/minigame.exe")), 0755u);
    EXPECT_EQ(modeOf(program("minigame/data/tiles.dat")), 0644u);
    EXPECT_NE(install_.readFile("program/UserSet.ini").find("<games>fishing,minigame</games>"),
              std::string::npos)
        << install_.readFile("program/UserSet.ini");
    const std::string recorded = install_.readFile("program/update.ini");
    for (const char* file : {"\\minigame\\minigame.exe", "\\minigame\\data\\tiles.dat",
                             "\\minigame\\index.html", "\\common.txt"}) {
        EXPECT_NE(recorded.find(file), std::string::npos) << file << " in " << recorded;
    }

    // The downloaded program got the server's answer through the page and ended normally when
    // the room was left.
    const std::string game = install_.readFile("games/minigame.log");
    EXPECT_NE(game.find("welcome, minigame"), std::string::npos) << game;
    EXPECT_NE(game.find("end code=0"), std::string::npos) << game;

    // The screenshots show pages; the one taken while the download ran differs from the one
    // after the install.
    for (const char* name : {"03-lobby", "04-downloading", "05-installed", "06-new-game-room"}) {
        SCOPED_TRACE(name);
        expectPagePicture(install_.readFile(std::string("shots/") + name + ".png"));
    }
    EXPECT_NE(install_.readFile("shots/04-downloading.png"),
              install_.readFile("shots/05-installed.png"));
}

}  // namespace
}  // namespace e2e
