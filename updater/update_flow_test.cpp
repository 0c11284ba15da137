#include <gtest/gtest.h>

#include <filesystem>

#include <fmt/format.h>

#include "tools/testhttp/server.h"
#include "updater/flow_fixture.h"
#include "updater/local_file.h"
#include "updater/server_address.h"

namespace haldor {
namespace {

using testhttp::Fault;

class UpdateFlowTest : public ::testing::Test {
protected:
    testhttp::Server server;
    UpdateSite site{server};
    Installation place;
};

TEST_F(UpdateFlowTest, StepsFromVersionThreeToFiveOneVersionAtATime) {
    place.dir().Write("game/old.dat", "old content");
    site.VersionFile("5", "5", {site.Address()});
    auto a = site.File("3", "a.dll", "version four library");
    auto changed = site.File("3", "old.dat", "new content", "game");
    site.FileList("3", "4", {a, changed});
    auto b = site.File("4", "b.exe", std::string(70000, 'b'));
    site.FileList("4", "5", {b});
    site.FileList("5", "5", {});
    place.SetState("3", {site.Address()});

    HaldorRun run(place);
    EXPECT_EQ(run.Wait(), 0);
    EXPECT_TRUE(run.Saw("升级下一个版本 4")) << run.Transcript();
    EXPECT_TRUE(run.Saw("升级下一个版本 5"));
    EXPECT_TRUE(run.Saw("需更新文件总数: 2,文件总长度: 0 KB"));
    EXPECT_TRUE(run.Saw("下载文件成功 [a.dll]"));
    EXPECT_EQ(place.dir().Read("a.dll"), "version four library");
    EXPECT_EQ(place.dir().Read("game/old.dat"), "new content");
    EXPECT_EQ(place.dir().Read("b.exe"), std::string(70000, 'b'));
    EXPECT_FALSE(FileExists(place.dir() / "b.exe.update.4"));
    EXPECT_EQ(ReadLocalFile(place.dir() / "b.exe")->write_time, b.file_time);
    EXPECT_EQ(place.Ini("Version", "CurrentVersion"), "5");
    EXPECT_EQ(place.Ini("Temp", "Temp1"), site.Address());
    EXPECT_TRUE(place.LobbyStarted());
    for (const char* list :
         {"/update/3/FileConfig.xml", "/update/4/FileConfig.xml", "/update/5/FileConfig.xml"})
        EXPECT_EQ(server.log().countFor(list), 1) << list;
    EXPECT_EQ(server.log().forPath("/update/VerAndUrl.xml").at(0).request.headers.get("User-Agent"),
              "AutoUpdate_Quarn");
}

TEST_F(UpdateFlowTest, NothingToUpdateFinishesTheVersionAndLongAddressesAreStoredScrambled) {
    std::string stored = EncodeStoredAddress("http://" + site.Address());
    site.VersionFile("6", "6", {stored, "127.0.0.1:1"});
    site.FileList("6", "6", {});
    place.SetState("6", {stored});
    HaldorRun run(place);
    EXPECT_EQ(run.Wait(), 0);
    EXPECT_TRUE(place.LobbyStarted());
    EXPECT_EQ(place.Ini("Temp", "Temp1"), stored);
    EXPECT_EQ(place.Ini("Temp", "Temp2"), "127.0.0.1:1");
}

TEST_F(UpdateFlowTest, NoServerStartsTheLobbyWithoutAnyRequest) {
    place.SetState("3", {"", site.Address()});
    HaldorRun run(place);
    run.CloseInput();
    EXPECT_EQ(run.Wait(), 0);
    EXPECT_TRUE(place.LobbyStarted());
    EXPECT_EQ(server.log().size(), 0u);
}

TEST_F(UpdateFlowTest, Md5MismatchInstallsNothingAndShowsTheFailureBox) {
    site.VersionFile("4", "4", {site.Address()});
    auto f = site.File("3", "new.dll", "served bytes");
    f.md5 = Md5Of("other bytes");
    site.FileList("3", "4", {f});
    place.SetState("3", {site.Address()});

    HaldorRun run(place);
    ASSERT_TRUE(run.WaitForLine("(skip=跳过 retry=重试 exit=退出)")) << run.Transcript();
    EXPECT_TRUE(run.Saw("MD5检验失败，正在更新的版本号[3],XML配置文件名[new.dll],MD5=[" + f.md5));
    run.Send("exit");
    EXPECT_EQ(run.Wait(), 0);
    EXPECT_FALSE(FileExists(place.dir() / "new.dll")) << "never installed unverified";
    EXPECT_FALSE(place.LobbyStarted());
    EXPECT_EQ(place.Ini("Version", "CurrentVersion"), "3");
    std::string log = place.dir().Read("UpdateLog.log");
    EXPECT_NE(log.find("下载到本地的的文件名["), std::string::npos) << log;
}

TEST_F(UpdateFlowTest, FailedDownloadRetriesFromTheFirstServer) {
    site.VersionFile("4", "4", {site.Address()});
    auto f = site.File("3", "lib.so", std::string(5000, 'l'));
    site.FileList("3", "4", {f});
    server.setFault("/update/3/lib.so", Fault::answerStatus(404));
    place.SetState("3", {site.Address()});

    HaldorRun run(place);
    ASSERT_TRUE(run.WaitForLine("可能由于网络原因，下载文件失败[lib.so], 错误代码 [6] "))
        << run.Transcript();
    server.clearAllFaults();
    run.Send("retry");
    EXPECT_EQ(run.Wait(), 0);
    EXPECT_EQ(place.dir().Read("lib.so"), std::string(5000, 'l'));
    EXPECT_TRUE(place.LobbyStarted());
    EXPECT_EQ(server.log().countFor("/update/VerAndUrl.xml"), 2);
    EXPECT_NE(place.dir().Read("UpdateLog.log").find("下载文件失败[lib.so]"), std::string::npos);
}

TEST_F(UpdateFlowTest, FailureBoxSkipStartsTheLobbyAndEndOfInputCloses) {
    site.VersionFile("4", "4", {site.Address()});
    site.FileList("3", "4", {site.File("3", "x.bin", "x")});
    server.setFault("/update/3/x.bin", Fault::answerStatus(500));
    place.SetState("3", {site.Address()});
    {
        HaldorRun run(place);
        ASSERT_TRUE(run.WaitForLine("(skip=跳过")) << run.Transcript();
        run.Send("skip");
        EXPECT_EQ(run.Wait(), 0);
        EXPECT_TRUE(place.LobbyStarted());
    }
    std::filesystem::remove(place.dir() / "lobby-started");
    HaldorRun run(place);
    run.CloseInput();
    EXPECT_EQ(run.Wait(), 0);
    EXPECT_TRUE(run.Saw("(skip=跳过"));
    EXPECT_FALSE(place.LobbyStarted());
}

TEST_F(UpdateFlowTest, EntriesOutsideTheInstallationAreNeverWritten) {
    site.VersionFile("4", "4", {site.Address()});
    auto evil = site.File("3", "evil.dll", "evil");
    evil.file_name = "../evil.dll";
    site.FileList("3", "4", {evil});
    place.SetState("3", {site.Address()});
    HaldorRun run(place);
    ASSERT_TRUE(run.WaitForLine("错误代码 [7]")) << run.Transcript();
    run.Send("exit");
    EXPECT_EQ(run.Wait(), 0);
    EXPECT_FALSE(FileExists(place.dir() / "../evil.dll"));
    EXPECT_FALSE(FileExists(place.dir() / "../evil.dll.update.3"));
}

TEST_F(UpdateFlowTest, OwnExecutableIsReplacedAndTheOldCopyGoesAtTheNextStart) {
    std::string old_bytes = place.dir().Read("Haldor");
    std::string new_bytes = old_bytes + "new build";
    site.VersionFile("4", "4", {site.Address()});
    site.FileList("3", "4", {site.File("3", "Haldor", new_bytes)});
    site.FileList("4", "4", {});
    place.SetState("3", {site.Address()});
    {
        HaldorRun run(place);
        EXPECT_EQ(run.Wait(), 0);
        EXPECT_TRUE(run.Saw("删除文件失败 [Haldor]")) << run.Transcript();
        EXPECT_EQ(place.dir().Read("Haldor"), new_bytes);
        EXPECT_EQ(place.dir().Read("Haldor.old"), old_bytes);
        EXPECT_TRUE(place.LobbyStarted());
        EXPECT_EQ(place.Ini("Version", "CurrentVersion"), "4");
    }
    place.SetState("4", {""});
    HaldorRun again(place);
    EXPECT_EQ(again.Wait(), 0);
    EXPECT_FALSE(FileExists(place.dir() / "Haldor.old"));
}

TEST_F(UpdateFlowTest, PendingOwnCopyIsMovedIntoPlaceAtStart) {
    std::string old_bytes = place.dir().Read("Haldor");
    place.dir().Write("Haldor.update.7", old_bytes + "pending");
    std::filesystem::permissions(place.dir() / "Haldor.update.7",
                                 std::filesystem::perms::owner_all);
    place.dir().Write("Update2.exe", "two");
    place.SetState("7", {""});
    HaldorRun run(place);
    EXPECT_EQ(run.Wait(), 0);
    EXPECT_EQ(place.dir().Read("Haldor"), old_bytes + "pending");
    EXPECT_EQ(place.dir().Read("Haldor.old"), old_bytes);
    EXPECT_FALSE(FileExists(place.dir() / "Haldor.update.7"));
    EXPECT_EQ(place.dir().Read("Update21.exe"), "two");
}

TEST_F(UpdateFlowTest, UnreachableServerFailsOverToTheNext) {
    std::string dead_address = fmt::format("127.0.0.1:{}", UnusedPort());
    site.VersionFile("4", "4", {site.Address()});
    site.FileList("3", "4", {site.File("3", "n.txt", "n")});
    site.FileList("4", "4", {});
    place.SetState("3", {dead_address, site.Address()});
    HaldorRun run(place);
    EXPECT_EQ(run.Wait(), 0);
    EXPECT_TRUE(run.Saw("正在连接 1 号游戏服务器 ")) << run.Transcript();
    EXPECT_TRUE(run.Saw("正在连接 2 号游戏服务器 "));
    EXPECT_EQ(place.dir().Read("n.txt"), "n");
    EXPECT_TRUE(place.LobbyStarted());
}

TEST_F(UpdateFlowTest, VersionTooOldOpensTheHomePageWithoutTheLobby) {
    site.VersionFile("9", "9", {site.Address()});
    place.SetState("3", {site.Address()}, "http://127.0.0.1/home");
    HaldorRun run(place);
    EXPECT_EQ(run.Wait(), 0);
    EXPECT_TRUE(run.Saw("很抱歉，您的游戏当前版本太旧了，请到游戏官网重新下载安装！"))
        << run.Transcript();
    EXPECT_EQ(place.OpenedPage(), "http://127.0.0.1/home");
    EXPECT_FALSE(place.LobbyStarted());
}

TEST_F(UpdateFlowTest, ButtonsAskBeforeTheyAct) {
    site.VersionFile("4", "4", {site.Address()});
    server.setFault("/update/3/FileConfig.xml", Fault::stall());
    place.SetState("3", {site.Address()});
    {
        HaldorRun run(place);
        ASSERT_TRUE(run.WaitForLine("正在连接 1 号游戏服务器 "));
        run.Send("skip");
        ASSERT_TRUE(run.WaitForLine("确定不准备更新最新的版本，直接进入游戏大厅吗？ (yes/no)"));
        run.Send("no");
        run.Send("close");
        ASSERT_TRUE(run.WaitForLine("程序正在更新中,确定要退出升级吗？ (yes/no)"));
        run.Send("yes");
        EXPECT_EQ(run.Wait(), 0);
        EXPECT_FALSE(place.LobbyStarted());
    }
    HaldorRun run(place);
    ASSERT_TRUE(run.WaitForLine("正在连接 1 号游戏服务器 "));
    run.Send("skip");
    ASSERT_TRUE(run.WaitForLine("(yes/no)"));
    run.Send("yes");
    EXPECT_EQ(run.Wait(), 0);
    EXPECT_TRUE(place.LobbyStarted());
}

TEST_F(UpdateFlowTest, StalledServerIsLeftByTheWatchdog) {
    testhttp::Server good;
    UpdateSite good_site(good);
    good_site.VersionFile("3", "3", {good_site.Address()});
    good_site.FileList("3", "3", {});
    server.addFile("/update/VerAndUrl.xml", "");
    server.setFault("/update/VerAndUrl.xml", Fault::stall());
    place.SetState("3", {site.Address(), good_site.Address()});
    HaldorRun run(place);
    EXPECT_EQ(run.Wait(), 0);
    EXPECT_TRUE(run.Saw("正在连接 2 号游戏服务器 ")) << run.Transcript();
    EXPECT_TRUE(place.LobbyStarted());
    EXPECT_EQ(good.log().countFor("/update/3/FileConfig.xml"), 1);
}

}  // namespace
}  // namespace haldor
