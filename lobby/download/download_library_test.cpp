// The engine behind the real download library, both on one message loop as in the program:
// requests after a failed early step try again, and a request that is given up is reported.
#include <gtest/gtest.h>

#include "lobby/app/version_check.h"
#include "lobby/download/download_game.h"
#include "lobby/download/engine_test_support.h"
#include "platform/msgloop/msgloop.h"
#include "runtime/md5.h"
#include "tools/testhttp/server.h"

namespace lobby {
namespace {

using Strings = std::vector<std::string>;

class LibraryRoadTest : public testing::LibraryEngineTest {
protected:
    LibraryRoadTest() {
        server.addFile("/versions.txt", "[1.0.0]\n");
        std::string list;
        for (const char* game : {"fish", "poker"}) {
            std::string body = std::string(game) + " library";
            list += "<f dep=\"" + std::string(game) + "\" md5=\"" + rt::md5Hex(body) + "\">\\" +
                    game + "\\a.dll</f>";
            server.addFile("/1_0_0/" + std::string(game) + "/a.dll", body);
        }
        server.addFile("/1_0_0/update.ini", list);
        Config::configs["download_url"] = server.url("/");
        versionCheck().updateServerUrl = server.url("");
    }

    void ask(const std::string& games) { engine->downloadClient(games, ""); }

    testhttp::Server server;
};

TEST_F(LibraryRoadTest, AfterVersionsThatCouldNotBeReadTheNextRequestInstalls) {
    server.setFault("/versions.txt", testhttp::Fault::answerStatus(500).onRequest(1));
    ask("fish");
    pumpUntil([this] { return !errors().empty(); });
    EXPECT_EQ(errors()[0].args, (Strings{"@ini", "", "no init"}));
    ask("poker");
    pumpUntil([this] { return installed("fish") && installed("poker"); });
    EXPECT_EQ(errors().size(), 1u);
    EXPECT_EQ(server.log().countFor("/versions.txt"), 2);
}

TEST_F(LibraryRoadTest, AfterAServerListNoServerGaveTheNextRequestFetchesItAgain) {
    for (int n = 1; n <= 4; ++n) {
        server.addFault("/1_0_0/update.ini", testhttp::Fault::answerStatus(503).onRequest(n));
    }
    ask("fish");
    pumpUntil([this] { return !errors().empty(); });
    EXPECT_EQ(errors()[0].args, (Strings{"@ini", "", "Http Error #503"}));
    ask("poker");
    pumpUntil([this] { return installed("fish") && installed("poker"); });
    EXPECT_EQ(server.log().countFor("/1_0_0/update.ini"), 5);
    EXPECT_EQ(pageCallCount("onDownloadStart"), 1);
    EXPECT_EQ(errors().size(), 1u);
}

TEST_F(LibraryRoadTest, ARequestGivenUpIsReportedForEachOfItsGames) {
    server.setFault("/1_0_0/update.ini", testhttp::Fault::answerStatus(503));
    ask("fish, poker");
    pumpUntil([this] { return !errors().empty(); });
    for (int look = 0; look < 600; ++look) {
        ml_clock_advance(250);
        ml_pump(0, nullptr);
    }
    ASSERT_EQ(errors().size(), 3u);
    EXPECT_EQ(errors()[1].args[0], "fish");
    EXPECT_EQ(errors()[2].args[0], "poker");
    EXPECT_NE(errors()[2].args[2].find("dropped"), std::string::npos) << errors()[2].args[2];
    EXPECT_FALSE(installed("fish"));
}

}  // namespace
}  // namespace lobby
