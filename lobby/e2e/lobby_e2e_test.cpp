// The real MorvickNew, started in a copy of the sample installation on the test host: start-up,
// the lobby page's configuration, a login relayed through the lobby page, quit from the tray
// menu, and a second copy refused while the first hears "newapp".
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "lobby/e2e/program_run.h"
#include "lobby/e2e/test_install.h"

namespace e2e {
namespace {

std::string uniqueTag() {
    static int counter = 0;
    return "e2e-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
}

std::string jsonText(const std::string& s) {
    return "\"" + s + "\"";
}

class LobbyE2eTest : public ::testing::Test {
protected:
    void SetUp() override { writeConfiguration(install_, config_); }

    // Describes a run for a failure message: its record and its output.
    static std::string story(const ProgramRun& run) {
        std::string text = "record:\n";
        for (const std::string& l : run.timedRecord()) text += "  " + l + "\n";
        return text + "output:\n" + run.output();
    }

    TestInstall install_;
    LoopbackConfig config_;
};

TEST_F(LobbyE2eTest, StartsAnswersTheLobbyPageRelaysALoginAndQuitsFromTheTrayMenu) {
    // The first tray icon (made at the first login) is right-clicked at once; the menu answers
    // "quit".
    install_.writeFile("answers.ini", "tray_click = 517\nmenu = 9002\n");
    ProgramRun run(install_, "login", uniqueTag());
    run.setScript(
        "# start-up: the lobby window, then the login window\n"
        "expect cef_app_registeinstance " +
        jsonText(config_.product) +
        " \"->\" true\n"
        "expect ready\n"
        "expect on_create [lobby.html]\n"
        "expect on_create [login.html]\n"
        "# the lobby page is ready: it gets its configuration, the login window is shown\n"
        "call lobby.html setSwfReady\n"
        "expect invoke [lobby.html] \"loadAppConfig\" [" +
        jsonText(config_.site) + "," + jsonText(config_.config) + "," + jsonText(config_.gateway) +
        "," + jsonText(config_.media) + "," + jsonText(config_.debug) + "," +
        jsonText(config_.games) +
        "]\n"
        "expect invoke [login.html] \"init\"\n"
        "# the login page logs in through the lobby page, which holds the connection\n"
        "call login.html toLogin [\"ann\", \"secret\", \"\", 1]\n"
        "expect invoke [lobby.html] \"login\" [\"ann\",\"secret\",\"\",\n"
        "call lobby.html setLoginState [1]\n");
    run.start();
    int code = run.wait();
    std::vector<std::string> record = run.record();
    ASSERT_EQ(code, 0) << story(run);
    EXPECT_FALSE(hasLine(record, "FAIL")) << story(run);
    EXPECT_TRUE(hasLine(record, "script done")) << story(run);

    // The login completed (the account remembered on the lobby page, the login page told), and
    // then the first tray icon's click quit.
    int login = lineIndex(record, "call [lobby.html] setLoginState [1]");
    ASSERT_GE(login, 0) << story(run);
    int remembered =
        lineIndex(record, "invoke [lobby.html] \"recodeAccount\" [\"ann\",\"secret\"]");
    EXPECT_GE(remembered, 0) << story(run);
    EXPECT_LT(remembered, login) << story(run);
    int told = lineIndex(record, "execute [login.html] \"setLoginResult('ok')\"");
    EXPECT_GE(told, 0) << story(run);
    EXPECT_LT(told, login) << story(run);
    int click = lineIndex(record, "system [lobby.html] tray 1 517", login);
    ASSERT_GE(click, 0) << story(run);
    int quit = lineIndex(record, "cef_app_quit", click);
    ASSERT_GE(quit, 0) << story(run);
    // One quit, and the windows are closed by the host after the loop.
    EXPECT_EQ(lineIndex(record, "cef_app_quit", quit + 1), -1) << story(run);
    int ended = lineIndex(record, "loop ended", quit);
    EXPECT_GT(ended, quit) << story(run);
    EXPECT_GE(lineIndex(record, "on_destroy [lobby.html]", quit), 0) << story(run);
    // The machine code from the hardware library beside the program went with the login and
    // was stored in the user's application-data folder.
    const std::string machineCode = install_.readFile("appdata/Velto/Client.dat");
    EXPECT_EQ(machineCode.size(), 32u) << machineCode;
    EXPECT_EQ(machineCode.find_first_not_of("0123456789abcdef"), std::string::npos) << machineCode;
    EXPECT_TRUE(hasLine(record, "\"login\" [\"ann\",\"secret\",\"\",\"" + machineCode + "\"]"))
        << story(run);
    // The tray icon made at the login left with the quit.
    std::string platformLog = install_.readFile("platform-login.log");
    EXPECT_NE(platformLog.find("tray icon 1 created"), std::string::npos) << platformLog;
    EXPECT_NE(platformLog.find("tray icon 1 removed"), std::string::npos) << platformLog;
}

TEST_F(LobbyE2eTest, ASecondCopyIsRefusedAndTheFirstShowsItsLoginWindow) {
    std::string tag = uniqueTag();
    ProgramRun first(install_, "first", tag);
    first.setScript(
        "expect on_create [login.html]\n"
        "mark ready for a second copy\n"
        "expect system [lobby.html] newapp\n"
        "# not logged in: the login window comes to the front\n"
        "expect cef_window_show [login.html] true\n"
        "# closing the login window before any login ends the program\n"
        "close login.html\n");
    first.start();
    ASSERT_TRUE(first.waitForRecord("mark ready for a second copy")) << story(first);

    ProgramRun second(install_, "second", tag);
    second.start();
    EXPECT_EQ(second.wait(), 0) << story(second);
    std::vector<std::string> refused = second.record();
    EXPECT_TRUE(
        hasLine(refused, "cef_app_registeinstance " + jsonText(config_.product) + " \"->\" false"))
        << story(second);
    EXPECT_TRUE(hasLine(refused, "cef_app_quit")) << story(second);
    EXPECT_FALSE(hasLine(refused, "cef_window_create")) << story(second);
    EXPECT_FALSE(hasLine(refused, "ready")) << story(second);

    EXPECT_EQ(first.wait(), 0) << story(first);
    std::vector<std::string> record = first.record();
    EXPECT_FALSE(hasLine(record, "FAIL")) << story(first);
    int newapp = lineIndex(record, "system [lobby.html] newapp");
    ASSERT_GE(newapp, 0) << story(first);
    EXPECT_GE(lineIndex(record, "on_close [login.html] -> true", newapp), 0) << story(first);
    EXPECT_GE(lineIndex(record, "cef_app_quit", newapp), 0) << story(first);
    EXPECT_NE(first.output().find("this app is running"), std::string::npos) << story(first);
}

}  // namespace
}  // namespace e2e
