// The real MorvickNew on the test host installs the sample download server's game: the lobby
// page's "downloadGame" through the download library and the engine to "onInstallOk", with the
// game's files in the program folder and "UserSet.ini" listing it.
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "lobby/e2e/program_run.h"
#include "lobby/e2e/test_install.h"
#include "runtime/file.h"
#include "runtime/strings.h"
#include "tools/testhttp/server.h"

namespace {

const std::filesystem::path kExample =
    std::filesystem::path(__FILE__).parent_path() / "../../examples/download-server";

TEST(DownloadE2eTest, TheLobbyPagesDownloadEndsWithTheGameInstalled) {
    testhttp::Server server;
    server.serveFolder("/", kExample);
    e2e::TestInstall install;
    e2e::writeConfiguration(install);
    // The engine asks <ver_url>/<version>/...; the library reads <download_url>versions.txt.
    std::string client = install.readFile("program/Client.ini");
    client = rt::replaceAll(client, "http://127.0.0.1:9/version/", server.url(""));
    client = rt::replaceAll(client, "http://127.0.0.1:9/download/", server.url("/"));
    install.writeFile("program/Client.ini", client);

    e2e::ProgramRun run(install, "download", "e2e-download-" + std::to_string(getpid()));
    run.setScript(
        "expect on_create [lobby.html]\n"
        "call lobby.html downloadGame [\"minigame\",\"\"]\n"
        "expect invoke [lobby.html] \"onDownloadStart\"\n"
        "expect invoke [lobby.html] \"onInstallOk\" [\"minigame\"]\n"
        "quit\n");
    run.start();
    int code = run.wait();
    std::string story;
    for (const std::string& line : run.timedRecord()) story += line + "\n";
    ASSERT_EQ(code, 0) << story << run.output();
    EXPECT_EQ(install.readFile("program/minigame/index.html"),
              rt::File::getContent((kExample / "1_0_1/minigame/index.html").string()))
        << story;
    for (const char* file :
         {"minigame/index.html", "minigame/data/level1.dat", "minigame/readme.txt", "common.txt"}) {
        EXPECT_TRUE(std::filesystem::exists(install.programFolder() + file)) << file;
    }
    EXPECT_NE(install.readFile("program/UserSet.ini").find("minigame"), std::string::npos)
        << install.readFile("program/UserSet.ini");
    EXPECT_NE(install.readFile("program/update.ini").find("\\minigame\\index.html"),
              std::string::npos);
}

}  // namespace
