#include "lobby/app/config.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "lobby/app/app_windows.h"
#include "lobby/app/install_paths.h"
#include "lobby/app/lobby_window.h"
#include "lobby/app/position_key.h"
#include "lobby/app/settings_file.h"
#include "lobby/app/version_check.h"
#include "lobby/bindings/fake_host.h"
#include "runtime/file.h"
#include "runtime/test_folder.h"
#include "runtime/xml.h"

namespace lobby {
namespace {

class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        installPaths().appPath = folder.path() + "/";
        versionCheck().updateModules.clear();
        versionCheck().updateVersion.clear();
        versionCheck().isUpdateModulesInit = false;
        appWindows().lobbyWindow = nullptr;
        Config::remoteConfigs = nullptr;
        Config::machineCodeStr.reset();
    }
    void TearDown() override {
        appWindows().lobbyWindow = nullptr;
        versionCheck().isUpdateModulesInit = false;
    }

    void write(const std::string& name, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(folder / name).parent_path());
        rt::File::saveContent(folder / name, text);
    }
    std::string read(const std::string& name) { return rt::File::getContent(folder / name); }
    std::map<std::string, std::string> userSetFile() {
        return readSettingsXml(read("UserSet.ini"), "UserSet.ini");
    }
    static std::string userSet(const std::string& games, const std::string& extra = "") {
        return "<data><ver>3</ver><hotkey>F10,121,1</hotkey><username>bob</username>"
               "<password>pw</password><games>" +
               games + "</games>" + extra + "</data>";
    }

    bindings::FakeHost host;
    rt::testing::TestFolder folder;
};

TEST_F(ConfigTest, ScrambledClientIniReadsLikeThePlainOne) {
    const std::string plain =
        "<config><product>Lobby</product><localRes>pages</localRes><games>a</games></config>";
    std::vector<uint8_t> scrambled(plain.begin(), plain.end());
    applyPositionKey(scrambled);
    ASSERT_NE(scrambled[0], '<');
    rt::File::saveBytes(folder / "Client.ini", scrambled);
    write("UserSet.ini", userSet("b"));
    Config::init();
    EXPECT_EQ(Config::getConfigValue("product"), "Lobby");
    EXPECT_EQ(Config::getConfigValue("localRes"), "pages");
    EXPECT_EQ(Config::installedGames(), (std::vector<std::string>{"a", "b"}));
}

TEST_F(ConfigTest, ClientGamesAloneAreCopiedIntoTheUserSettings) {
    write("Client.ini", "<config><games>a,b</games></config>");
    write("UserSet.ini", userSet(""));
    Config::init();
    EXPECT_EQ(Config::installedGames(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(userSetFile().at("games"), "a,b");
    EXPECT_EQ(userSetFile().at("username"), "bob");
}

TEST_F(ConfigTest, ClientAndUserGamesMergeWithoutRewritingTheFile) {
    write("Client.ini", "<config><games>a</games></config>");
    const std::string original = userSet("b,c", "<!-- kept -->");
    write("UserSet.ini", original);
    Config::init();
    EXPECT_EQ(Config::installedGames(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(read("UserSet.ini"), original);
    EXPECT_TRUE(Config::checkIsGameInstall("B"));
    EXPECT_FALSE(Config::checkIsGameInstall("d"));
}

TEST_F(ConfigTest, VersionFolderAddsNewGamesOnly) {
    write("Client.ini", "<config><games>x</games></config>");
    write("UserSet.ini", userSet("y"));
    write("version/X.v", "1.0");
    write("version/z.v", "2.0");
    Config::init();
    EXPECT_EQ(Config::installedGames(), (std::vector<std::string>{"x", "y", "z"}));
    EXPECT_EQ(userSetFile().at("games"), "x,y,z");
}

TEST_F(ConfigTest, DomainComesFromInsLogWhenTheConfigurationAllowsIt) {
    const auto domainWith = [this](const std::string& allowed, const std::string& insLog) {
        write("Client.ini", "<config><domain>" + allowed +
                                "</domain><payment_url>{domain}/pay</payment_url>"
                                "<media_url>{domain}/m</media_url></config>");
        write("UserSet.ini", userSet("g"));
        write("_ins.log", insLog);
        Config::init();
        return Config::getConfigValue("payment_url");
    };
    EXPECT_EQ(domainWith("*", "abc_1"), "abc/pay");
    EXPECT_EQ(Config::domain, "abc");
    EXPECT_EQ(domainWith("www.abc.net", "abc_1"), "abc/pay");
    EXPECT_EQ(domainWith("xyz.net", "abc_1"), "www/pay");
    EXPECT_FALSE(Config::domain.has_value());
    EXPECT_EQ(domainWith("*", "abc"), "www/pay");
    // Only the site addresses take the domain.
    EXPECT_EQ(Config::getConfigValue("media_url"), "{domain}/m");
}

TEST_F(ConfigTest, VerComesFromTheUserSettingsAndDefaultsToZero) {
    write("Client.ini", "<config><ver>9</ver></config>");
    write("UserSet.ini", "<data><games>g</games></data>");
    Config::init();
    EXPECT_EQ(Config::getConfigValue("ver"), "0");
    write("UserSet.ini", userSet("g"));
    Config::init();
    EXPECT_EQ(Config::getConfigValue("ver"), "3");
    EXPECT_FALSE(Config::getConfigValue("absent").has_value());
    Config::setConfigValue("absent", "now");
    EXPECT_EQ(Config::getConfigValue("absent"), "now");
}

TEST_F(ConfigTest, MissingSettingsFilesEndStartUp) {
    write("UserSet.ini", userSet("g"));
    EXPECT_ANY_THROW(Config::init());
    write("Client.ini", "<config/>");
    std::filesystem::remove(folder / "UserSet.ini");
    EXPECT_ANY_THROW(Config::init());
}

TEST_F(ConfigTest, AccountValuesSurviveEveryRewriteByteForByte) {
    const std::string name = "a<b>&\"c' d ";
    const std::string password = "p&amp;<![CDATA[x]]>\r\n";
    write("Client.ini", "<config/>");
    write("UserSet.ini", "<data><ver>1</ver><hotkey>F10,121,0</hotkey><username>" +
                             rt::escapeXmlText(name) + "</username><password>" +
                             rt::escapeXmlText(password) + "</password><games>g</games></data>");
    Config::init();
    ASSERT_TRUE(Config::addGameToUserSet("h"));
    Config::init();
    EXPECT_EQ(Config::getUserSetValue("username"), name);
    EXPECT_EQ(Config::getUserSetValue("password"), password);
    EXPECT_EQ(Config::installedGames(), (std::vector<std::string>{"g", "h"}));
}

TEST_F(ConfigTest, AnUnreadableUserSettingsFileIsKeptAsideAndTheDefaultsUsed) {
    write("Client.ini", "<config><games>a</games></config>");
    write("UserSet.ini", std::string("<data><hotkey>x\0y</hotkey>", 27));
    testing::internal::CaptureStdout();
    ASSERT_NO_THROW(Config::init());
    const std::string trace = testing::internal::GetCapturedStdout();
    EXPECT_NE(trace.find("UserSet.ini.unreadable"), std::string::npos) << trace;
    EXPECT_EQ(read("UserSet.ini.unreadable"), std::string("<data><hotkey>x\0y</hotkey>", 27));
    EXPECT_EQ(Config::installedGames(), (std::vector<std::string>{"a"}));
    EXPECT_EQ(Config::getConfigValue("ver"), "0");
    // The client's games were written into a fresh file, which reads at the next start.
    EXPECT_EQ(userSetFile().at("games"), "a");
}

TEST_F(ConfigTest, HotKeySetReadsItsThreeParts) {
    write("Client.ini", "<config/>");
    write("UserSet.ini", userSet("g"));
    Config::init();
    const rt::Ref<rt::Record> set = Config::getHotKeySet();
    EXPECT_EQ(set->get("key"), rt::Value("F10"));
    EXPECT_EQ(set->get("code"), rt::Value(121));
    EXPECT_EQ(set->get("enabled"), rt::Value(1));
    Config::userSets["hotkey"] = "F1,x";
    EXPECT_TRUE(Config::getHotKeySet()->get("code").isNull());
    EXPECT_TRUE(Config::getHotKeySet()->get("enabled").isNull());
}

class HotKeyTest : public ConfigTest {
protected:
    void SetUp() override {
        ConfigTest::SetUp();
        write("Client.ini", "<config/>");
        write("UserSet.ini", userSet("g"));
        Config::init();
        appWindows().lobbyWindow = rt::make<LobbyWindow>();
        appWindows().lobbyWindow->_handle = 7;
    }
    static rt::Ref<rt::Record> set(int code, int enabled) {
        return rt::Record::of(
            {{"key", "F" + std::to_string(code)}, {"code", code}, {"enabled", enabled}});
    }
};

TEST_F(HotKeyTest, DisablingUnregistersAndStoresTheSet) {
    EXPECT_TRUE(Config::setHotKeySet(set(5, 0)));
    EXPECT_EQ(host.count("cef_app_unregisterhotkey"), 1);
    EXPECT_EQ(host.count("cef_app_registerhotkey"), 0);
    EXPECT_EQ(userSetFile().at("hotkey"), "F5,5,0");
}

TEST_F(HotKeyTest, ANewKeyIsRegisteredUnderTheLobbyKeyName) {
    host.answer("cef_app_registerhotkey", rt::Value(1));
    EXPECT_TRUE(Config::setHotKeySet(set(66, 1)));
    const auto calls = host.calls("cef_app_registerhotkey");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].args[1], rt::Value(appWindows().hotkeyName));
    EXPECT_EQ(calls[0].args[3], rt::Value(66));
    EXPECT_EQ(userSetFile().at("hotkey"), "F66,66,1");
}

TEST_F(HotKeyTest, AKeyTextLikeATemplateMarkIsStoredAsItIs) {
    for (const char* label : {"#PASSWORD#", "#USERNAME##GAMES#", "#HOTKEY#"}) {
        EXPECT_TRUE(Config::setHotKeySet(
            rt::Record::of({{"key", std::string(label)}, {"code", 5}, {"enabled", 0}})));
        const auto stored = userSetFile();
        EXPECT_EQ(stored.at("hotkey"), std::string(label) + ",5,0");
        EXPECT_EQ(stored.at("password"), "pw");
        EXPECT_EQ(stored.at("username"), "bob");
        EXPECT_EQ(stored.at("games"), "g");
    }
}

TEST_F(HotKeyTest, TextsXmlCannotHoldAreRefusedAndNothingIsWritten) {
    const std::string before = read("UserSet.ini");
    EXPECT_FALSE(Config::setHotKeySet(
        rt::Record::of({{"key", std::string("F\0", 2)}, {"code", 5}, {"enabled", 0}})));
    EXPECT_FALSE(
        Config::setHotKeySet(rt::Record::of({{"key", "F\x01"}, {"code", 5}, {"enabled", 0}})));
    EXPECT_FALSE(Config::addGameToUserSet(std::string("h\0", 2)));
    EXPECT_EQ(read("UserSet.ini"), before);
    EXPECT_EQ(host.count("cef_app_unregisterhotkey"), 0);
    EXPECT_EQ(Config::getHotKeySet()->get("code"), rt::Value(121));
    EXPECT_EQ(Config::installedGames(), (std::vector<std::string>{"g"}));
    // The file still reads at the next start.
    EXPECT_NO_THROW(Config::init());
}

TEST_F(HotKeyTest, AFailedRegistrationRestoresTheOldKey) {
    host.answer("cef_app_registerhotkey", [](std::span<const rt::Value> args) {
        return rt::Value(args[3].toInt() == 121 ? 1 : -1);
    });
    const std::string before = read("UserSet.ini");
    EXPECT_FALSE(Config::setHotKeySet(set(66, 1)));
    const auto calls = host.calls("cef_app_registerhotkey");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].args[3], rt::Value(121));
    EXPECT_EQ(read("UserSet.ini"), before);
    EXPECT_EQ(Config::getHotKeySet()->get("code"), rt::Value(121));
}

// The settings cannot be written (the lobby folder is gone): the answer is false, the stored set
// is unchanged, and the key registered last is the old one again.
TEST_F(HotKeyTest, AFailedWriteRegistersTheOldKeyAgain) {
    host.answer("cef_app_registerhotkey", rt::Value(1));
    installPaths().appPath = folder / "gone/";
    EXPECT_FALSE(Config::setHotKeySet(set(66, 1)));
    EXPECT_EQ(Config::getHotKeySet()->get("code"), rt::Value(121));
    const auto calls = host.calls();
    int lastRegister = -1;
    int lastUnregister = -1;
    for (int i = 0; i < static_cast<int>(calls.size()); ++i) {
        if (calls[i].name == "cef_app_registerhotkey") lastRegister = i;
        if (calls[i].name == "cef_app_unregisterhotkey") lastUnregister = i;
    }
    ASSERT_GE(lastRegister, 0);
    EXPECT_GT(lastRegister, lastUnregister);
    EXPECT_EQ(calls[lastRegister].args[3], rt::Value(121));
}

TEST_F(ConfigTest, FinishedDownloadOfAGameWaitingForAnUpdateOnlyLeavesTheUpdateList) {
    write("Client.ini", "<config/>");
    write("UserSet.ini", userSet("g"));
    Config::init();
    versionCheck().updateModules = {"g", "h", "g"};
    versionCheck().isUpdateModulesInit = true;
    EXPECT_FALSE(Config::addGameToUserSet("g", true));
    EXPECT_EQ(versionCheck().updateModules, (std::vector<std::string>{"h", "g"}));
    EXPECT_FALSE(Config::addGameToUserSet("g", true));
    EXPECT_EQ(versionCheck().updateModules, (std::vector<std::string>{"h"}));
    EXPECT_FALSE(Config::addGameToUserSet("G", true));
    EXPECT_TRUE(Config::addGameToUserSet("k", true));
    EXPECT_EQ(userSetFile().at("games"), "g,k");
}

TEST_F(ConfigTest, CheckInstallNewGameFindsNewAndChangedGames) {
    write("Client.ini", "<config/>");
    write("UserSet.ini", userSet("a"));
    Config::init();
    EXPECT_EQ(Config::checkInstallNewGame(), "");
    write("version/a.v", "2");
    write("version/b.v", "1");
    EXPECT_EQ(Config::checkInstallNewGame(), "b");
    EXPECT_EQ(Config::checkInstallNewGame(), "");
    versionCheck().updateVersion["a"] = "1";
    versionCheck().updateModules = {"a"};
    versionCheck().isUpdateModulesInit = true;
    EXPECT_EQ(Config::checkInstallNewGame(), "a");
    EXPECT_TRUE(versionCheck().updateModules.empty());
}

}  // namespace
}  // namespace lobby
