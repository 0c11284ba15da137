// The real Haldor against an update server that answers like an attacker on the network path.
// Every test checks the same aftermath: nothing written outside the installation, the state file
// holding only what it held plus valid values, no request with a control character, no file
// larger than its manifest length, and the updater ending or waiting in its failure box.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <sstream>

#include <fmt/format.h>

#include "tools/testhttp/server.h"
#include "updater/control_chars.h"
#include "updater/flow_fixture.h"
#include "updater/local_file.h"
#include "updater/manifest_writer.h"
#include "updater/server_address.h"
#include "updater/version_number.h"

namespace haldor {
namespace {

using testhttp::Fault;

constexpr char kFailureBox[] = "(skip=跳过 retry=重试 exit=退出)";

// The state file as section -> key -> value, read line by line.
using State = std::map<std::string, std::map<std::string, std::string>>;

State ReadState(const std::string& text, std::vector<std::string>* odd_lines) {
    State state;
    std::string section;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            continue;
        }
        auto eq = line.find('=');
        if (eq == std::string::npos || section.empty()) {
            odd_lines->push_back(line);
            continue;
        }
        state[section][line.substr(0, eq)] = line.substr(eq + 1);
    }
    return state;
}

class HostileServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int count = 0;
        trap_ = fmt::format("/tmp/haldor-hostile-{}-{}", ::getpid(), ++count);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(trap_, ignored);
    }

    // A version text that climbs from a download name up to the root and into the trap.
    std::string ClimbingVersion() const {
        std::string climb = "0/";
        for (int i = 0; i < 24; ++i) climb += "../";
        return climb + trap_.substr(1) + "/pwned";
    }

    void Start(const std::string& version, const std::vector<std::string>& servers) {
        place.SetState(version, servers, "http://127.0.0.1/home");
        state_before_ = place.dir().Read("UpdateTemp.ini");
    }

    // A version file with this text for its Product attributes, served as it is.
    void RawVersionFile(const std::string& product_attributes,
                        const std::string& declaration = "encoding=\"GB2312\"") {
        server.addFile("/update/VerAndUrl.xml", "<?xml version=\"1.0\" " + declaration +
                                                    " ?>\r\n<xmlRoot keyname=\"KeyValue\">\r\n"
                                                    "\t<Product " +
                                                    product_attributes +
                                                    " filenum=\"0\">\r\n\t</Product>\r\n"
                                                    "</xmlRoot>\r\n");
    }

    // Asserts the aftermath; `lengths` holds the manifest length of every file offered.
    void ExpectNoHarm(const std::map<std::string, std::uint64_t>& lengths = {}) {
        EXPECT_FALSE(std::filesystem::exists(trap_)) << "written outside the installation";

        std::vector<std::string> odd;
        State before = ReadState(state_before_, &odd);
        State after = ReadState(place.dir().Read("UpdateTemp.ini"), &odd);
        EXPECT_TRUE(odd.empty()) << "stray state lines: " << odd.front();
        for (const auto& [section, keys] : after) {
            for (const auto& [key, value] : keys) {
                bool kept = before.count(section) && before.at(section).count(key) &&
                            before.at(section).at(key) == value;
                if (kept) continue;
                bool valid = (section == "Version" && key == "CurrentVersion" &&
                              CanonicalVersion(value) == value) ||
                             (section == "Temp" && key.starts_with("Temp") &&
                              IsStorableServerAddress(value));
                EXPECT_TRUE(valid) << "[" << section << "] " << key << "=" << value;
            }
        }

        for (const auto& logged : server.log().all()) {
            EXPECT_FALSE(HasControlCharacter(logged.request.target)) << logged.request.target;
            EXPECT_FALSE(logged.request.headers.has("X-Injected")) << logged.request.target;
            EXPECT_NE(logged.request.path, "/smuggled");
        }

        for (const auto& entry :
             std::filesystem::recursive_directory_iterator(place.dir().path())) {
            std::string name = entry.path().filename().string();
            EXPECT_EQ(name.find(".update."), std::string::npos) << "left behind: " << name;
            // The temporary folder for manifests (TMPDIR is the installation here).
            EXPECT_FALSE(entry.is_directory() && name.starts_with("Haldor"))
                << "left behind: " << name;
            auto length = lengths.find(name);
            if (length != lengths.end() && entry.is_regular_file()) {
                EXPECT_LE(entry.file_size(), length->second) << name;
            }
        }
    }

    // Waits for the failure box, presses the main window's button and answers yes to its
    // question; the updater then ends by itself.
    void ExpectFailureBoxThenYes(HaldorRun& run, const std::string& button,
                                 const std::string& question) {
        ASSERT_TRUE(run.WaitForLine(kFailureBox)) << run.Transcript();
        run.Send(button);
        ASSERT_TRUE(run.WaitForLine(question + " (yes/no)")) << run.Transcript();
        run.Send("yes");
        EXPECT_EQ(run.Wait(), 0);
    }

    // Waits for the failure box, then leaves through its exit.
    void ExpectFailureBoxThenExit(HaldorRun& run) {
        ASSERT_TRUE(run.WaitForLine(kFailureBox)) << run.Transcript();
        run.Send("exit");
        EXPECT_EQ(run.Wait(), 0);
        EXPECT_FALSE(place.LobbyStarted());
    }

    // One update file of version 3 whose transfer the server spoils with `fault`.
    CUpdateFile SpoiledFile(const Fault& fault, const std::string& bytes = std::string(4000, 'f')) {
        site.VersionFile("4", "4", {site.Address()});
        auto file = site.File("3", "f.bin", bytes);
        site.FileList("3", "4", {file});
        server.setFault("/update/3/f.bin", fault);
        Start("3", {site.Address()});
        return file;
    }

    testhttp::Server server;
    UpdateSite site{server};
    Installation place;
    std::string trap_;
    std::string state_before_;
};

TEST_F(HostileServerTest, AMaximumVersionThatClimbsOutIsNeitherStoredNorUsedAsAPath) {
    const std::string climbing = ClimbingVersion();
    site.VersionFile("0", climbing, {site.Address()});
    site.FileList("0", "0", {});
    auto bad = site.File("0", "a.dll", "server-chosen bytes");
    bad.md5 = Md5Of("something else");
    server.addFile("/update/" + climbing + "/FileConfig.xml", ManifestText({"0", "", {}}, {bad}));
    Start("0", {site.Address()});
    for (int run_number = 0; run_number < 2; ++run_number) {
        HaldorRun run(place);
        run.CloseInput();
        EXPECT_EQ(run.Wait(), 0);
        EXPECT_TRUE(place.LobbyStarted()) << run.Transcript();
        std::filesystem::remove(place.dir() / "lobby-started");
    }
    EXPECT_EQ(place.Ini("Version", "CurrentVersion"), "0");
    EXPECT_EQ(server.log().countFor("/update/0/FileConfig.xml"), 0);
    ExpectNoHarm();
}

TEST_F(HostileServerTest, VersionsAreStoredInCanonicalForm) {
    site.VersionFile("4", " 005 ", {site.Address()});
    site.FileList("4", "5", {});
    site.FileList("5", "5", {});
    Start("4", {site.Address()});
    HaldorRun run(place);
    EXPECT_EQ(run.Wait(), 0);
    EXPECT_TRUE(run.Saw("升级下一个版本 5")) << run.Transcript();
    EXPECT_EQ(place.Ini("Version", "CurrentVersion"), "5");
    ExpectNoHarm();
}

TEST_F(HostileServerTest, LineBreaksInVersionsOrAddressesNeverReachTheStateFile) {
    const std::string crlf = "&#13;&#10;";
    RawVersionFile(fmt::format(
        "productVerion=\"6\" maxVersion=\"6{0}[HOME]{0}URL=http://127.0.0.1/evil\" "
        "UrlList1=\"{1}\" UrlList2=\"127.0.0.1:1{0}[HOME]{0}URL=http://127.0.0.1/evil\" "
        "UrlList3=\"{2}\" UrlList4=\"127.0.0.1:2&#10;URL=x\" UrlList5=\"h:99999\" "
        "UrlList6=\"\" UrlList7=\"\" UrlList8=\"\"",
        crlf, site.Address(), EncodeStoredAddress("http://h" + crlf + "[HOME]")));
    Start("6", {site.Address()});
    HaldorRun run(place);
    run.CloseInput();
    EXPECT_EQ(run.Wait(), 0);
    EXPECT_TRUE(place.LobbyStarted()) << run.Transcript();
    EXPECT_EQ(place.Ini("HOME", "URL"), "http://127.0.0.1/home");
    EXPECT_EQ(place.Ini("Version", "CurrentVersion"), "6");
    ExpectNoHarm();

    // A maximum version that is well formed is stored, and of the addresses only the plain one.
    RawVersionFile(fmt::format(
        "productVerion=\"6\" maxVersion=\"6\" UrlList1=\"{1}\" "
        "UrlList2=\"127.0.0.1:1{0}[HOME]{0}URL=http://127.0.0.1/evil\" UrlList3=\"h:99999\" "
        "UrlList4=\"\" UrlList5=\"\" UrlList6=\"\" UrlList7=\"\" UrlList8=\"\"",
        crlf, site.Address()));
    site.FileList("6", "6", {});
    std::filesystem::remove(place.dir() / "lobby-started");
    HaldorRun second(place);
    EXPECT_EQ(second.Wait(), 0);
    EXPECT_TRUE(place.LobbyStarted()) << second.Transcript();
    EXPECT_EQ(place.Ini("Temp", "Temp1"), site.Address());
    EXPECT_EQ(place.Ini("Temp", "Temp2"), "");
    EXPECT_EQ(place.Ini("Temp", "Temp3"), "");
    EXPECT_EQ(place.Ini("HOME", "URL"), "http://127.0.0.1/home");
    ExpectNoHarm();
}

TEST_F(HostileServerTest, RedirectsCannotSplitRequestsOrComeFromContentLocation) {
    // The connection stays open, so a split request would reach the server.
    auto file = SpoiledFile(
        Fault::redirect(302, "/update/3/f.bin HTTP/1.1\nX-Injected: yes\n\nGET /smuggled"));
    {
        HaldorRun run(place);
        ExpectFailureBoxThenExit(run);
    }
    ExpectNoHarm({{"f.bin", file.length}});

    // A version file answered with a redirect named only by Content-Location fails; the server
    // list moves on and the lobby starts.
    server.addFile("/update/evil.xml", ManifestText({"9", "9", {}}, {}));
    server.setFault(
        "/update/VerAndUrl.xml",
        Fault::rawAnswer("HTTP/1.1 302 Found\r\nContent-Location: " +
                         server.url("/update/evil.xml") + "\r\nContent-Length: 0\r\n\r\n"));
    HaldorRun run(place);
    run.CloseInput();
    EXPECT_EQ(run.Wait(), 0);
    EXPECT_TRUE(place.LobbyStarted()) << run.Transcript();
    EXPECT_EQ(server.log().countFor("/update/evil.xml"), 0);
    ExpectNoHarm({{"f.bin", file.length}});
}

TEST_F(HostileServerTest, LengthsThatDisagreeWithTheManifestWriteNothing) {
    auto file = SpoiledFile(Fault::answerStatus(500));
    std::vector<Fault> faults = {Fault::wrongContentLength(std::int64_t{1} << 40)};
    for (const char* length : {"-1", "99999999999999999999", "3999"})
        faults.push_back(Fault::rawAnswer(
            fmt::format("HTTP/1.1 200 OK\r\nContent-Length: {}\r\n\r\nbody", length)));
    for (const Fault& fault : faults) {
        server.setFault("/update/3/f.bin", fault.onRequest(1));
        server.log().clear();
        HaldorRun run(place);
        ASSERT_TRUE(run.WaitForLine("下载文件失败[f.bin], 错误代码 [6]"))
            << fault.describe() << run.Transcript();
        ExpectFailureBoxThenExit(run);
        EXPECT_EQ(server.log().countFor("/update/3/f.bin"), 1)
            << "a range after " << fault.describe();
        ExpectNoHarm({{"f.bin", file.length}});
    }
}

TEST_F(HostileServerTest, ChunkedBodiesWithOverflowingSizesAreRefused) {
    const std::string chunked =
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
        "ffffffffffffffffffffffff\r\nxxxx\r\n0\r\n\r\n";
    auto file = SpoiledFile(Fault::rawAnswer(chunked));
    {
        HaldorRun run(place);
        ExpectFailureBoxThenExit(run);
    }
    ExpectNoHarm({{"f.bin", file.length}});

    server.setFault("/update/VerAndUrl.xml", Fault::rawAnswer(chunked));
    HaldorRun run(place);
    run.CloseInput();
    EXPECT_EQ(run.Wait(), 0);
    EXPECT_TRUE(place.LobbyStarted()) << run.Transcript();
    ExpectNoHarm({{"f.bin", file.length}});
}

TEST_F(HostileServerTest, OversizedHeadersAndRedirectLoopsFailTheTransfer) {
    for (const Fault& fault :
         {Fault::oversizedHeader(5000), Fault::redirect(302, "/update/3/f.bin")}) {
        auto file = SpoiledFile(fault);
        HaldorRun run(place);
        ExpectFailureBoxThenExit(run);
        ExpectNoHarm({{"f.bin", file.length}});
    }
}

TEST_F(HostileServerTest, SlowHeadsAndBodiesStillDeliverTheRightBytes) {
    std::string bytes(6000, 's');
    auto file = SpoiledFile(Fault::splitHeader(1, std::chrono::milliseconds(5)), bytes);
    server.addFault("/update/3/FileConfig.xml", Fault::slowBody(4000));
    site.FileList("4", "4", {});
    server.addFault("/update/3/f.bin", Fault::slowBody(3000));
    HaldorRun run(place);
    EXPECT_EQ(run.Wait(), 0);
    EXPECT_TRUE(place.LobbyStarted()) << run.Transcript();
    EXPECT_EQ(place.dir().Read("f.bin"), bytes);
    EXPECT_EQ(place.Ini("Version", "CurrentVersion"), "4");
    ExpectNoHarm({{"f.bin", file.length}});
}

TEST_F(HostileServerTest, FileTimesFarInTheFutureAreSetWithoutOverflow) {
    site.VersionFile("4", "4", {site.Address()});
    auto file = site.File("3", "t.bin", "time");
    file.file_time = {0xFFFFFFFFu, 0x80000000u};
    site.FileList("3", "4", {file});
    site.FileList("4", "4", {});
    Start("3", {site.Address()});
    HaldorRun run(place);
    EXPECT_EQ(run.Wait(), 0);
    EXPECT_TRUE(place.LobbyStarted()) << run.Transcript();
    EXPECT_EQ(place.dir().Read("t.bin"), "time");
    ExpectNoHarm({{"t.bin", file.length}});
}

TEST_F(HostileServerTest, ManifestsInAnyOtherEncodingAreRefused) {
    for (const char* declaration :
         {"encoding=\"ISO-8859-1\"", "encoding=\"UTF-16\"", "encoding=\"GB18030//IGNORE\""}) {
        RawVersionFile(
            fmt::format("productVerion=\"5\" maxVersion=\"5\" UrlList1=\"{}\"", site.Address()),
            declaration);
        Start("4", {site.Address()});
        server.log().clear();
        std::filesystem::remove(place.dir() / "lobby-started");
        HaldorRun run(place);
        run.CloseInput();
        EXPECT_EQ(run.Wait(), 0);
        EXPECT_TRUE(place.LobbyStarted()) << declaration << run.Transcript();
        EXPECT_EQ(server.log().countFor("/update/4/FileConfig.xml"), 0) << declaration;
        EXPECT_EQ(place.Ini("Version", "CurrentVersion"), "4");
        ExpectNoHarm();
    }
}

TEST_F(HostileServerTest, TheFailureBoxLeavesTheButtonsWorking) {
    auto file = SpoiledFile(Fault::answerStatus(500));
    {
        HaldorRun run(place);
        ExpectFailureBoxThenYes(run, "switch", "确定要切换服务器，重新下载吗？");
        EXPECT_TRUE(place.LobbyStarted()) << "no second server: the lobby starts";
    }
    std::filesystem::remove(place.dir() / "lobby-started");
    HaldorRun run(place);
    ExpectFailureBoxThenYes(run, "close", "程序正在更新中,确定要退出升级吗？");
    EXPECT_FALSE(place.LobbyStarted());
    ExpectNoHarm({{"f.bin", file.length}});
}

}  // namespace
}  // namespace haldor
