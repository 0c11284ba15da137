// The engine with its workers against a loopback server: fetching the server list, queueing,
// downloading with version fall-back and retries, copying into place and registering.
#include "lobby/download/download_game.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "lobby/app/download_settings.h"
#include "lobby/app/install_paths.h"
#include "lobby/app/version_check.h"
#include "lobby/download/engine_test_support.h"
#include "platform/msgloop/msgloop.h"
#include "runtime/file.h"
#include "runtime/md5.h"
#include "runtime/strings.h"
#include "tools/testhttp/server.h"

namespace lobby {
namespace {

using Strings = std::vector<std::string>;

struct GameFile {
    std::string path;  // "\"-separated
    std::string modules;
    std::string body;
};

class DownloadRoadTest : public testing::EngineTest {
protected:
    DownloadRoadTest() {
        versionCheck().updateServerUrl = server.url("");
        std::lock_guard<std::mutex> lock(Config::installedGamesMutex);
        Config::userInstallGames.clear();
    }

    // Publishes the files in version `version` and lists them in the server list.
    void publish(const std::vector<GameFile>& files, const std::string& version = "1_0_1") {
        std::string list;
        for (const GameFile& f : files) {
            list += "<f dep=\"" + f.modules + "\" md5=\"" + rt::md5Hex(f.body) + "\">" + f.path +
                    "</f>";
            server.addFile("/" + version + rt::replaceAll(f.path, "\\", "/"), f.body);
        }
        server.addFile("/1_0_1/update.ini", list);
        listText = list;
    }

    std::string listPath(const std::string& path) const {
        return "/1_0_1" + rt::replaceAll(path, "\\", "/");
    }

    void fetchList() {
        engine->toDownload("");
        runUntil([this] { return engine->updateState == 2 || !errors().empty(); });
    }

    void downloadAndWait(std::initializer_list<const char*> games) {
        engine->downloadGames(names(games));
        runUntil([this] {
            for (const rt::Value& m : engine->downloadList->items()) {
                if (m.get("state").toInt() < DownloadGame::kModuleFinished) return false;
            }
            return true;
        });
    }

    std::string installedText(const std::string& relative) const {
        return rt::File::getContent(installPaths().appPath + relative);
    }

    unsigned installedMode(const std::string& relative) const {
        struct stat st {};
        EXPECT_EQ(::stat((installPaths().appPath + relative).c_str(), &st), 0) << relative;
        return st.st_mode & 07777;
    }

    // Starts an installed program as a game plug-in starts its game and answers its exit code.
    int runInstalled(const std::string& relative) {
        EXPECT_EQ(ml_init(), ML_OK);
        ml_process* process = nullptr;
        int code = -1000;
        if (ml_process_start(("\"" + installPaths().appPath + relative + "\"").c_str(), &process) ==
            ML_OK) {
            EXPECT_EQ(ml_process_wait(process, -1), ML_OK);
            EXPECT_EQ(ml_process_exit_code(process, &code), ML_OK);
            ml_process_close(process);
        } else {
            ADD_FAILURE() << ml_last_error();
        }
        ml_shutdown();
        return code;
    }

    testhttp::Server server;
    std::string listText;
};

TEST_F(DownloadRoadTest, AGameIsDownloadedCopiedIntoPlaceAndRecorded) {
    publish({{"\\fish\\data\\a.dll", "fish", "fish library"},
             {"\\common.dat", "@gameall", "shared"},
             {"\\poker\\b.dll", "poker", "poker library"}});
    fetchList();
    EXPECT_EQ(pageCallCount("onDownloadStart"), 1);
    EXPECT_EQ(engine->updateFiles->size(), 3);

    downloadAndWait({"fish"});
    EXPECT_TRUE(installed("fish"));
    EXPECT_EQ(installedText("fish/data/a.dll"), "fish library");
    EXPECT_EQ(installedText("common.dat"), "shared");
    EXPECT_FALSE(rt::FileSystem::exists(installPaths().appPath + "poker"));
    EXPECT_EQ(Config::installedGames(), Strings{"fish"});
    EXPECT_EQ(installedText("update.ini"), "<f md5=\"" + rt::md5Hex("shared") +
                                               "\" dep=\"@gameall\">\\common.dat</f>"
                                               "<f md5=\"" +
                                               rt::md5Hex("fish library") +
                                               "\" dep=\"fish\">\\fish\\data\\a.dll</f>");

    // The shared file is already installed: the next game neither fetches nor lists it again.
    server.log().clear();
    downloadAndWait({"poker"});
    EXPECT_TRUE(installed("poker"));
    EXPECT_EQ(server.log().countFor(listPath("\\common.dat")), 0);
    EXPECT_EQ(server.log().countFor(listPath("\\poker\\b.dll")), 1);

    // A fresh engine reads the local list back: nothing installed needs a download.
    rt::Ref<DownloadGame> next = rt::create<DownloadGame>();
    next->onDownloadStart(rt::Value(listText));
    EXPECT_EQ(next->updateFiles->size(), 0);
    EXPECT_EQ(next->getFileMd5("\\poker\\b.dll"), rt::md5Hex("poker library"));
}

TEST_F(DownloadRoadTest, AnUnreadableLocalListIsSetAsideAndItsFilesAreCheckedAgain) {
    publish({{"\\fish\\a.dll", "fish", "fish library"}});
    const std::string listPath = installPaths().appPath + "update.ini";
    rt::File::saveContent(listPath, "<f md5=\"" + rt::md5Hex("fish library") + "\" dep=");
    fetchList();
    EXPECT_TRUE(errors().empty());
    EXPECT_EQ(engine->updateFiles->size(), 1);
    EXPECT_EQ(rt::File::getContent(listPath + ".unreadable"),
              "<f md5=\"" + rt::md5Hex("fish library") + "\" dep=");

    downloadAndWait({"fish"});
    EXPECT_TRUE(installed("fish"));
    EXPECT_EQ(engine->getFileMd5("\\fish\\a.dll"), rt::md5Hex("fish library"));
}

TEST_F(DownloadRoadTest, InstalledAndUpdatedProgramsStayExecutable) {
    const std::string elf = std::string("\x7f") + "ELF" + std::string(60, '\0');
    publish({{"\\game\\run.sh", "game", "#!/bin/sh\nexit 7\n"},
             {"\\game\\bin\\game", "game", elf},
             {"\\game\\data.txt", "game", "#not a script"}});
    fetchList();
    downloadAndWait({"game"});
    ASSERT_TRUE(installed("game"));
    EXPECT_EQ(installedMode("game/run.sh"), 0755u);
    EXPECT_EQ(installedMode("game/bin/game"), 0755u);
    EXPECT_EQ(installedMode("game/data.txt"), 0644u);
    EXPECT_EQ(runInstalled("game/run.sh"), 7);

    // An update keeps each replaced file's permissions, whatever they were made.
    ASSERT_EQ(::chmod((installPaths().appPath + "game/run.sh").c_str(), 0700), 0);
    ASSERT_EQ(::chmod((installPaths().appPath + "game/data.txt").c_str(), 0640), 0);
    publish({{"\\game\\run.sh", "game", "#!/bin/sh\nexit 9\n"},
             {"\\game\\bin\\game", "game", elf},
             {"\\game\\data.txt", "game", "#!still data"}});
    engine = rt::create<DownloadGame>();
    fetchList();
    ASSERT_EQ(engine->updateFiles->size(), 2);
    downloadAndWait({"game"});
    EXPECT_EQ(installedText("game/run.sh"), "#!/bin/sh\nexit 9\n");
    EXPECT_EQ(installedMode("game/run.sh"), 0700u);
    EXPECT_EQ(installedMode("game/data.txt"), 0640u);
    EXPECT_EQ(runInstalled("game/run.sh"), 9);
}

// File states of a module, in its order.
std::vector<int> fileStates(const rt::Value& module) {
    std::vector<int> states;
    for (const rt::Value& f : module.get("downloads").asArray()->items()) {
        states.push_back(static_cast<int>(f.get("state").toInt()));
    }
    return states;
}

TEST_F(DownloadRoadTest, FilesAreFetchedAheadOfTheirTurnAtMostFourAtOnce) {
    std::vector<GameFile> files;
    for (int i = 0; i < 6; ++i) files.push_back({"\\fish\\" + std::to_string(i), "fish", "x"});
    publish(files);
    for (const GameFile& f : files) server.setFault(listPath(f.path), testhttp::Fault::stall());
    fetchList();
    engine->downloadGames(names({"fish"}));
    EXPECT_EQ(fileStates(module(0)), (std::vector<int>{1, 1, 1, 1, 0, 0}));
    EXPECT_TRUE(server.log().waitFor(5));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(server.log().countFor(listPath(files[i].path)), 1);
}

TEST_F(DownloadRoadTest, ModulesSharingAFileInstallTogetherWithOneDownloadOfIt) {
    std::vector<GameFile> files{{"\\common.dat", "@gameall", "shared"}};
    for (const char* game : {"fish", "poker"}) {
        for (int i = 0; i < 3; ++i) {
            files.push_back({"\\" + std::string(game) + "\\" + std::to_string(i), game,
                             std::string(game) + std::to_string(i)});
        }
    }
    publish(files);
    fetchList();
    downloadAndWait({"fish", "poker"});
    EXPECT_TRUE(errors().empty());
    EXPECT_TRUE(installed("fish"));
    EXPECT_TRUE(installed("poker"));
    for (const GameFile& f : files) {
        EXPECT_EQ(server.log().countFor(listPath(f.path)), 1) << f.path;
        EXPECT_EQ(installedText(rt::replaceAll(f.path.substr(1), "\\", "/")), f.body);
        EXPECT_EQ(engine->getFileMd5(f.path), rt::md5Hex(f.body)) << f.path;
    }
    EXPECT_EQ(pageCallCount("onInstallOk"), 2);
}

TEST_F(DownloadRoadTest, AFileThatFailsBeforeAnEarlierOneArrivesIsReportedInItsTurn) {
    publish({{"\\fish\\a", "fish", "slow"},
             {"\\fish\\b", "fish", "missing"},
             {"\\fish\\c", "fish", "fine"}});
    server.setFault(listPath("\\fish\\a"),
                    testhttp::Fault::pauseBeforeHeaders(std::chrono::milliseconds(300)));
    server.removeFile(listPath("\\fish\\b"));
    fetchList();
    downloadAndWait({"fish"});
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_EQ(errors()[0].args, (Strings{"fish", "\\fish\\b", "Http Error #404"}));
    // The first file was taken before the failure ended the module.
    EXPECT_EQ(module(0).get("index").toInt(), 1);
    EXPECT_EQ(fileStates(module(0))[0], DownloadGame::kDownloaded);
    EXPECT_EQ(fileStates(module(0))[1], DownloadGame::kWaiting);
    EXPECT_FALSE(installed("fish"));
    EXPECT_FALSE(rt::FileSystem::exists(installPaths().appPath + "fish"));
}

TEST_F(DownloadRoadTest, FilesInFlightOfADroppedQueueAreFetchedAgainByTheNextOne) {
    publish({{"\\fish\\a", "fish", "fish a"},
             {"\\fish\\b", "fish", "fish b"},
             {"\\poker\\a", "poker", "poker a"}});
    for (const char* path : {"\\fish\\a", "\\fish\\b"}) {
        server.setFault(
            listPath(path),
            testhttp::Fault::pauseBeforeHeaders(std::chrono::milliseconds(500)).onRequest(1));
    }
    fetchList();
    engine->downloadGames(names({"fish"}));
    ASSERT_TRUE(server.log().waitFor(3));
    engine->removeDownload("fish");
    downloadAndWait({"poker"});
    EXPECT_TRUE(installed("poker"));
    EXPECT_EQ(engine->updateFiles->get(0).get("state").toInt(), DownloadGame::kWaiting);
    EXPECT_EQ(engine->updateFiles->get(1).get("state").toInt(), DownloadGame::kWaiting);

    downloadAndWait({"fish"});
    EXPECT_TRUE(installed("fish"));
    EXPECT_EQ(installedText("fish/a"), "fish a");
    EXPECT_EQ(installedText("fish/b"), "fish b");
    EXPECT_TRUE(errors().empty());
}

TEST_F(DownloadRoadTest, MissingOrGatewayFailingNewerVersionsFallBackWithoutRetry) {
    publish({{"\\fish\\a.dll", "fish", "old build"}, {"\\fish\\b.dll", "fish", "old b"}}, "1_0_0");
    server.addFile("/1_0_1/fish/b.dll", "new b");
    server.setFault("/1_0_1/fish/b.dll", testhttp::Fault::answerStatus(504));
    fetchList();
    downloadAndWait({"fish"});
    EXPECT_TRUE(installed("fish"));
    EXPECT_EQ(installedText("fish/a.dll"), "old build");
    EXPECT_EQ(installedText("fish/b.dll"), "old b");
    for (const char* path :
         {"/1_0_1/fish/a.dll", "/1_0_0/fish/a.dll", "/1_0_1/fish/b.dll", "/1_0_0/fish/b.dll"}) {
        EXPECT_EQ(server.log().countFor(path), 1) << path;
    }
}

TEST_F(DownloadRoadTest, AFileMissingEverywhereIsTriedFourTimesPerServerThenReported) {
    testhttp::Server second;
    versionCheck().updateServerUrl = server.url("") + "|" + second.url("");
    downloadSettings().versions = rt::Array::of({"1.0.1"});
    publish({{"\\fish\\a.dll", "fish", "x"}});
    server.removeFile("/1_0_1/fish/a.dll");
    fetchList();
    downloadAndWait({"fish"});
    EXPECT_EQ(server.log().countFor("/1_0_1/fish/a.dll"), 4);
    EXPECT_EQ(second.log().countFor("/1_0_1/fish/a.dll"), 4);
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_EQ(errors()[0].args, (Strings{"fish", "\\fish\\a.dll", "Http Error #404"}));
    EXPECT_EQ(module(0).get("state").toInt(), DownloadGame::kModuleFinished);
    EXPECT_EQ(module(0).get("downloads").asArray()->get(0).get("state").toInt(),
              DownloadGame::kWaiting);
    EXPECT_FALSE(rt::FileSystem::exists(installPaths().appPath + "fish"));
}

TEST_F(DownloadRoadTest, AfterFourFailedConnectionsTheNextServerIsAskedForTheNewestVersion) {
    testhttp::Server good;
    std::string closed;
    {
        testhttp::Server gone;
        closed = gone.url("");
    }
    publish({{"\\fish\\a.dll", "fish", "from the second server"}});
    good.addFile("/1_0_1/fish/a.dll", "from the second server");
    fetchList();
    versionCheck().updateServerUrl = closed + "|" + good.url("");
    downloadAndWait({"fish"});
    EXPECT_TRUE(installed("fish"));
    ASSERT_EQ(good.log().forPath("/1_0_1/fish/a.dll").size(), 1u);
    EXPECT_EQ(good.log().forPath("/1_0_1/fish/a.dll")[0].request.query, "r=0.25");
    EXPECT_EQ(installedText("fish/a.dll"), "from the second server");
}

TEST_F(DownloadRoadTest, AServerListAnsweringOnTheSecondAttemptStartsOnce) {
    publish({{"\\fish\\a.dll", "fish", "x"}});
    server.setFault("/1_0_1/update.ini", testhttp::Fault::answerStatus(500).onRequest(1));
    fetchList();
    EXPECT_EQ(pageCallCount("onDownloadStart"), 1);
    EXPECT_EQ(server.log().countFor("/1_0_1/update.ini"), 2);
    EXPECT_TRUE(errors().empty());
}

TEST_F(DownloadRoadTest, AServerListNoServerGivesIsReportedAsTheListsError) {
    server.setFault("/1_0_1/update.ini", testhttp::Fault::answerStatus(503));
    server.addFile("/1_0_1/update.ini", "");
    fetchList();
    EXPECT_EQ(server.log().countFor("/1_0_1/update.ini"), 4);
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_EQ(errors()[0].args, (Strings{"@ini", "", "Http Error #503"}));
    EXPECT_EQ(engine->updateState, 1);
}

TEST_F(DownloadRoadTest, AFileWhoseDigestDiffersIsNotInstalled) {
    publish({{"\\fish\\a.dll", "fish", "genuine"}});
    server.addFile("/1_0_1/fish/a.dll", "tampered");
    fetchList();
    downloadAndWait({"fish"});
    EXPECT_FALSE(installed("fish"));
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_EQ(errors()[0].args[1], "\\fish\\a.dll");
    EXPECT_NE(errors()[0].args[2].find("MD5"), std::string::npos) << errors()[0].args[2];
    EXPECT_FALSE(rt::FileSystem::exists(installPaths().appPath + "fish/a.dll"));
    EXPECT_FALSE(rt::FileSystem::exists(installPaths().appPath + "update.ini"));
}

TEST_F(DownloadRoadTest, PathsLeavingTheInstallationFolderAreNeverFetchedOrWritten) {
    publish({{"\\fish\\a.dll", "fish", "fine"}});
    std::string list = "<f dep=\"evil\" md5=\"" + rt::md5Hex("x") + "\">\\..\\..\\escaped.txt</f>" +
                       "<f dep=\"evil2\" md5=\"" + rt::md5Hex("x") +
                       "\">\\\\host\\share\\abs.txt</f>";
    server.addFile("/1_0_1/update.ini",
                   list + "<f dep=\"fish\" md5=\"" + rt::md5Hex("fine") + "\">\\fish\\a.dll</f>");
    fetchList();
    downloadAndWait({"evil", "evil2", "fish"});
    EXPECT_TRUE(installed("fish"));
    ASSERT_EQ(errors().size(), 2u);
    EXPECT_EQ(errors()[0].args[0], "evil");
    EXPECT_EQ(errors()[0].args[1], "\\..\\..\\escaped.txt");
    EXPECT_EQ(errors()[1].args[0], "evil2");
    EXPECT_EQ(server.log().countFor("/escaped.txt"), 0);
    EXPECT_FALSE(rt::FileSystem::exists(folder.path() + "/../escaped.txt"));
    EXPECT_FALSE(rt::FileSystem::exists(installPaths().appPath + "host"));
}

TEST_F(DownloadRoadTest, ABodyWithoutLengthIsCompleteAndACutOneFailsWithoutStallingTheQueue) {
    publish({{"\\fish\\a.dll", "fish", std::string(5000, 'f')},
             {"\\poker\\b.dll", "poker", std::string(5000, 'p')}});
    server.setFault("/1_0_1/fish/a.dll", testhttp::Fault::noContentLength());
    server.setFault("/1_0_1/poker/b.dll", testhttp::Fault::dropAfter(100));
    fetchList();
    downloadAndWait({"poker", "fish"});
    EXPECT_TRUE(installed("fish"));
    EXPECT_EQ(installedText("fish/a.dll"), std::string(5000, 'f'));
    EXPECT_FALSE(installed("poker"));
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_EQ(errors()[0].args[0], "poker");
    EXPECT_FALSE(errors()[0].args[2].empty());
    EXPECT_EQ(server.log().countFor("/1_0_1/poker/b.dll"), 4);
}

TEST_F(DownloadRoadTest, ResultsOfADroppedQueueAreNotAppliedToTheNewOne) {
    publish({{"\\fish\\a.dll", "fish", "f"}, {"\\poker\\b.dll", "poker", "p"}});
    fetchList();
    downloadAndWait({"fish"});
    int32_t oldQueue = engine->queueTag();
    engine->downloadGames(names({"poker"}));
    ASSERT_NE(engine->queueTag(), oldQueue);
    engine->onDownItem(rt::Record::of(
        {{"module", 0}, {"state", 2}, {"error", ""}, {"fileInx", 0}, {"queue", oldQueue}}));
    EXPECT_EQ(module(0).get("index").toInt(), 0);
    engine->onCopyResult(rt::Record::of({{"module", 0}, {"error", "old"}, {"queue", oldQueue}}));
    EXPECT_EQ(module(0).get("state").toInt(), DownloadGame::kModuleActive);
    runUntil([this] { return installed("poker"); });
    EXPECT_TRUE(errors().empty());
}

}  // namespace
}  // namespace lobby
