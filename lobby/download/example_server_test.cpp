// The sample download server of examples/download-server, served on loopback, installs its game
// through the real download library and the engine, as the demo lobby does.
#include <gtest/gtest.h>

#include <filesystem>

#include "lobby/app/download_settings.h"
#include "lobby/app/install_paths.h"
#include "lobby/app/version_check.h"
#include "lobby/download/download_game.h"
#include "lobby/download/engine_test_support.h"
#include "runtime/file.h"
#include "runtime/md5.h"
#include "tools/testhttp/server.h"

namespace lobby {
namespace {

const std::filesystem::path kExample =
    std::filesystem::path(__FILE__).parent_path() / "../../examples/download-server";

class ExampleServerTest : public testing::LibraryEngineTest {
protected:
    ExampleServerTest() {
        server.serveFolder("/", kExample);
        Config::configs["download_url"] = server.url("/");
        versionCheck().updateServerUrl = server.url("");
    }

    testhttp::Server server;
};

TEST_F(ExampleServerTest, TheSampleGameInstallsWithItsNewestFiles) {
    engine->downloadClient("minigame", "");
    pumpUntil([this] { return engine->updateState == 2 || !errors().empty(); });
    ASSERT_TRUE(downloadSettings().versions);
    EXPECT_EQ(downloadSettings().serverVerPath, "1_0_1");
    ASSERT_TRUE(errors().empty()) << errors()[0].args[2];
    engine->downloadClient("minigame", "");
    pumpUntil([this] { return installed("minigame") || !errors().empty(); });
    ASSERT_TRUE(errors().empty()) << errors()[0].args[2];

    for (const char* file : {"minigame/index.html", "minigame/data/level1.dat"}) {
        EXPECT_EQ(rt::File::getContent(installPaths().appPath + file),
                  rt::File::getContent((kExample / "1_0_1" / file).string()))
            << file;
    }
    for (const char* file : {"minigame/readme.txt", "minigame/data/level2.dat", "common.txt"}) {
        EXPECT_EQ(rt::File::getContent(installPaths().appPath + file),
                  rt::File::getContent((kExample / "1_0_0" / file).string()))
            << file;
    }
    EXPECT_EQ(Config::installedGames(), std::vector<std::string>{"minigame"});
    EXPECT_NE(rt::File::getContent(installPaths().appPath + "UserSet.ini").find("minigame"),
              std::string::npos);
}

}  // namespace
}  // namespace lobby
