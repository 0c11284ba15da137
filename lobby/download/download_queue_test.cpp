// The engine's queue on the UI thread: what it queues, starts, reports and keeps, with results
// handed in as the workers would hand them.
#include <gtest/gtest.h>

#include "lobby/app/download_settings.h"
#include "lobby/app/install_paths.h"
#include "lobby/download/download_game.h"
#include "lobby/download/engine_test_support.h"
#include "runtime/file.h"

namespace lobby {
namespace {

using Strings = std::vector<std::string>;

class DownloadQueueTest : public testing::EngineTest {
protected:
    DownloadQueueTest() {
        engine->updateState = 2;
        engine->serverGameList = names({"fish", "poker", "chess"});
    }

    // A server list file record for `modules` in `state`.
    void file(const std::string& path, std::initializer_list<const char*> modules, int state) {
        engine->updateFiles->push(rt::Record::of({{"file", path},
                                                  {"state", state},
                                                  {"modules", names(modules)},
                                                  {"md5", "0"},
                                                  {"vers", names({"1.0.0"})}}));
    }

    // A queued module whose file is being fetched.
    void activeModule(const std::string& name) {
        engine->downloadList->push(rt::Record::of({{"name", name},
                                                   {"downloads", rt::make<rt::Array>()},
                                                   {"index", 0},
                                                   {"state", 0},
                                                   {"count", 1}}));
    }

    void snapshot(int module, int index, int progress, double speed) {
        DownloadGame::progressList.put({engine->queueTag(), module, index, progress, speed});
    }
};

TEST_F(DownloadQueueTest, WithoutVersionsTheListIsNeverAskedForAndOnlyOneErrorIsReported) {
    engine->updateState = 0;
    downloadSettings().versions = rt::make<rt::Array>();
    engine->toDownload("");
    engine->toDownload("");
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_EQ(errors()[0].args, (Strings{"@ini", "", "no init"}));
    EXPECT_EQ(engine->updateState, 1);
}

TEST_F(DownloadQueueTest, AskingWhileTheListIsFetchedWaitsAndAfterwardsOnlyTellsThePage) {
    engine->updateState = 1;
    engine->toDownload("");
    EXPECT_TRUE(pageCalls().empty());
    engine->updateState = 2;
    file("\\a", {"fish"}, 0);
    engine->toDownload("");
    EXPECT_EQ(pageCallCount("onDownloadStart"), 1);
    EXPECT_EQ(engine->updateFiles->size(), 1);
}

TEST_F(DownloadQueueTest, UnknownGamesAreReportedAndGamesWithoutFilesAreInstalledAtOnce) {
    engine->downloadGames(names({"golf", "chess"}));
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_EQ(errors()[0].args, (Strings{"golf", "", "reg error"}));
    EXPECT_TRUE(installed("chess"));
    EXPECT_EQ(Config::installedGames(), Strings{"chess"});
    EXPECT_EQ(engine->downloadList->size(), 0);
}

TEST_F(DownloadQueueTest, WhileAModuleIsActiveNewGamesWaitAndRepeatedOnesChangeNothing) {
    engine->downloadGames(rt::make<rt::Array>());
    EXPECT_FALSE(engine->downloadList);
    engine->toDownload("");
    activeModule("fish");
    file("\\p", {"poker"}, 0);
    engine->curDownModuleInx = 0;
    engine->downloadGames(names({"poker", "fish"}));
    engine->downloadGames(names({"poker"}));
    ASSERT_EQ(engine->downloadList->size(), 2);
    EXPECT_EQ(module(1).get("name").str(), "poker");
    EXPECT_EQ(module(1).get("index").toInt(), 0);
    EXPECT_EQ(engine->curDownModuleInx, 0);
    EXPECT_EQ(host.count("cef_app_posttask"), 0);

    engine->removeDownload("poker");
    EXPECT_EQ(module(0).get("state").toInt(), DownloadGame::kModuleFinished);
    EXPECT_EQ(module(1).get("state").toInt(), DownloadGame::kModuleFinished);
}

TEST_F(DownloadQueueTest, AFailedFileEndsItsModuleAndTheRotationMovesOn) {
    file("\\f", {"fish"}, 0);
    file("\\p", {"poker"}, DownloadGame::kInstalled);
    engine->toDownload("");
    activeModule("fish");
    engine->downloadList->get(0).set("downloads", rt::Array::of({engine->updateFiles->get(0)}));
    engine->downloadGames(names({"poker"}));
    engine->curDownModuleInx = 0;
    engine->onDownItem(rt::Record::of({{"module", 0},
                                       {"state", DownloadGame::kFailed},
                                       {"error", "Http Error #404"},
                                       {"fileInx", 0},
                                       {"queue", engine->queueTag()}}));
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_EQ(errors()[0].args, (Strings{"fish", "\\f", "Http Error #404"}));
    EXPECT_EQ(module(0).get("state").toInt(), DownloadGame::kModuleFinished);
    EXPECT_EQ(engine->updateFiles->get(0).get("state").toInt(), DownloadGame::kWaiting);
    // The installed file of the next module counts as done: no download, straight to the copy.
    runUntil([this] { return installed("poker"); });
    EXPECT_EQ(rt::File::getContent(installPaths().appPath + "update.ini"), "");
}

TEST_F(DownloadQueueTest, AResultThatIsNeitherDoneNorFailedStillEndsTheFile) {
    file("\\f", {"fish"}, 0);
    engine->toDownload("");
    activeModule("fish");
    engine->downloadList->get(0).set("downloads", rt::Array::of({engine->updateFiles->get(0)}));
    for (int state : {DownloadGame::kWaiting, DownloadGame::kDownloading}) {
        module(0).set("state", 0);
        engine->onDownItem(rt::Record::of({{"module", 0},
                                           {"state", state},
                                           {"error", ""},
                                           {"fileInx", 0},
                                           {"queue", engine->queueTag()}}));
        EXPECT_EQ(module(0).get("state").toInt(), DownloadGame::kModuleFinished) << state;
    }
    ASSERT_EQ(errors().size(), 2u);
    EXPECT_FALSE(errors()[0].args[2].empty());
    EXPECT_NE(errors()[1].args[2], errors()[0].args[2]);
}

TEST_F(DownloadQueueTest, ClearingWaitsForTheQueueThenDropsStagedCopiesAndProgress) {
    engine->toDownload("");
    activeModule("fish");
    file("\\kept.dll", {"fish"}, DownloadGame::kDownloaded);
    file("\\done.dll", {"fish"}, DownloadGame::kInstalled);
    rt::FileSystem::createDirectory(downloadSettings().updateLocalRoot);
    rt::File::saveContent(downloadSettings().updateLocalRoot + "/kept.dll", "k");
    rt::File::saveContent(downloadSettings().updateLocalRoot + "/done.dll", "d");
    engine->clearDownList();
    ASSERT_TRUE(engine->downloadList);

    snapshot(0, 0, 50, 1);
    engine->removeDownload("");
    engine->clearDownList();
    EXPECT_FALSE(engine->downloadList);
    EXPECT_EQ(engine->curDownModuleInx, -1);
    EXPECT_TRUE(rt::FileSystem::exists(downloadSettings().updateLocalRoot + "/kept.dll"));
    EXPECT_FALSE(rt::FileSystem::exists(downloadSettings().updateLocalRoot + "/done.dll"));
    EXPECT_TRUE(engine->getDownloadInfos().isNull());

    // A new request makes a new queue with a progress list of its own.
    engine->downloadGames(names({"chess"}));
    ASSERT_TRUE(engine->downloadList);
    activeModule("chess");
    snapshot(0, 0, 40, 2);
    EXPECT_FALSE(engine->getDownloadInfos().isNull());
}

TEST_F(DownloadQueueTest, APollGivesOneRecordPerModuleFromItsOldestNewSnapshot) {
    engine->toDownload("");
    activeModule("fish");
    activeModule("poker");
    module(0).set("count", 4);
    EXPECT_TRUE(engine->getDownloadInfos().isNull());

    snapshot(0, 1, 10, 1.5);
    snapshot(1, 0, 100, 9);
    snapshot(0, 1, 50, 2.5);
    snapshot(0, 1, 90, 3.5);
    rt::Ref<rt::Array> infos = engine->getDownloadInfos().asArray();
    ASSERT_TRUE(infos);
    ASSERT_EQ(infos->size(), 2);
    rt::Value fish = infos->get(0);
    EXPECT_EQ(fish.get("module").toInt(), 0);
    EXPECT_EQ(fish.get("name").str(), "fish");
    EXPECT_DOUBLE_EQ(fish.get("progress").toFloat(), 27.5);
    EXPECT_DOUBLE_EQ(fish.get("speed").toFloat(), 1.5);
    EXPECT_DOUBLE_EQ(fish.get("cur").toFloat(), 1);
    EXPECT_EQ(fish.get("end").toInt(), 4);
    EXPECT_DOUBLE_EQ(infos->get(1).get("progress").toFloat(), 100);
    EXPECT_TRUE(engine->getDownloadInfos().isNull());

    snapshot(0, 1, 50, 1);
    EXPECT_DOUBLE_EQ(engine->getDownloadInfos().asArray()->get(0).get("progress").toFloat(), 37.5);
    DownloadGame::progressList.put({engine->queueTag() + 100, 0, 1, 50, 1});
    EXPECT_TRUE(engine->getDownloadInfos().isNull());
}

TEST(CreateDirTest, FoldersOfThePathAreMadeButNeverTheFileName) {
    rt::testing::TestFolder folder;
    std::string base = folder.path();
    DownloadGame::createDir(base, "\\game\\data\\a.dll");
    EXPECT_TRUE(rt::FileSystem::isDirectory(base + "/game/data"));
    EXPECT_FALSE(rt::FileSystem::exists(base + "/game/data/a.dll"));
    DownloadGame::createDir(base, "\\b.dll");
    EXPECT_EQ(rt::FileSystem::readDirectory(base), Strings{"game"});
}

}  // namespace
}  // namespace lobby
