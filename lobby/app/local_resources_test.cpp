#include <gtest/gtest.h>
#include <stdlib.h>
#include <zlib.h>

#include <filesystem>

#include "lobby/app/config.h"
#include "lobby/app/install_paths.h"
#include "lobby/app/main.h"
#include "lobby/app/position_key.h"
#include "lobby/app/xor_zip_archive.h"
#include "lobby/bindings/fake_host.h"
#include "runtime/file.h"
#include "runtime/strings.h"
#include "runtime/test_folder.h"

namespace lobby {
namespace {

// A one-entry-per-file zip of stored entries.
std::vector<uint8_t> storedZip(const std::vector<std::pair<std::string, std::string>>& files) {
    std::vector<uint8_t> zip;
    const auto u16 = [&zip](uint32_t v) {
        zip.push_back(static_cast<uint8_t>(v));
        zip.push_back(static_cast<uint8_t>(v >> 8));
    };
    const auto u32 = [&u16](uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    for (const auto& [name, content] : files) {
        u32(0x04034b50);
        u16(10);
        u16(0);
        u16(0);
        u16(0);
        u16(0);
        u32(static_cast<uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(content.data()), content.size())));
        u32(static_cast<uint32_t>(content.size()));
        u32(static_cast<uint32_t>(content.size()));
        u16(static_cast<uint32_t>(name.size()));
        u16(0);
        zip.insert(zip.end(), name.begin(), name.end());
        zip.insert(zip.end(), content.begin(), content.end());
    }
    return zip;
}

class LocalResourcesTest : public ::testing::Test {
protected:
    void SetUp() override {
        installPaths().appPath = folder.path() + "/";
        Config::configs.clear();
        Config::userSets.clear();
        rt::File::saveContent(folder / "LobbyClientMain.swf", "movie");
    }
    void TearDown() override {
        installPaths().resourceFilesData.reset();
        installPaths().mainSwfData = nullptr;
    }
    void writePak(const std::string& name,
                  const std::vector<std::pair<std::string, std::string>>& files) {
        std::vector<uint8_t> bytes = storedZip(files);
        xorEveryThirdByte(bytes);
        rt::File::saveBytes(folder / name, bytes);
    }
    std::string entry(const std::string& key) {
        return std::string(installPaths().resourceFilesData->at(key)->view());
    }

    bindings::FakeHost host;
    rt::testing::TestFolder folder;
};

TEST_F(LocalResourcesTest, TheFolderWinsOverTheArchive) {
    std::filesystem::create_directory(folder / "resource");
    writePak("resource.pak", {{"lobby.html", "from archive"}});
    Main::loadLocalResources();
    EXPECT_EQ(installPaths().localRes, "resource");
    EXPECT_FALSE(installPaths().resourceFilesData.has_value());
    EXPECT_EQ(installPaths().resourcePath, rt::toLower(folder.path() + "/resource/"));
    EXPECT_EQ(installPaths().mainSwfData, nullptr);
}

TEST_F(LocalResourcesTest, WithoutTheFolderPagesComeFromTheArchiveUnderLowerCaseNames) {
    Config::configs["localRes"] = "Pages";
    writePak("Pages.pak",
             {{"Lobby.HTML", "<html>lobby</html>"}, {"js/App.js", "old"}, {"JS/app.JS", "new"}});
    Main::loadLocalResources();
    ASSERT_TRUE(installPaths().resourceFilesData.has_value());
    EXPECT_EQ(entry("lobby.html"), "<html>lobby</html>");
    EXPECT_EQ(entry("js/app.js"), "new");
    EXPECT_EQ(installPaths().resourceFilesData->size(), 2u);
}

TEST_F(LocalResourcesTest, NeitherFolderNorArchiveEndsStartUp) {
    EXPECT_ANY_THROW(Main::loadLocalResources());
}

TEST_F(LocalResourcesTest, LobbyDatIsUnscrambledInItsFirst64Bytes) {
    std::filesystem::remove(folder / "LobbyClientMain.swf");
    std::filesystem::create_directory(folder / "resource");
    std::string movie(100, '\0');
    for (size_t i = 0; i < movie.size(); ++i) movie[i] = static_cast<char>(i * 7);
    std::vector<uint8_t> scrambled(movie.begin(), movie.end());
    applyPositionKey(std::span<uint8_t>(scrambled.data(), 64));
    rt::File::saveBytes(folder / "lobby.dat", scrambled);
    Main::loadLocalResources();
    ASSERT_NE(installPaths().mainSwfData, nullptr);
    EXPECT_EQ(installPaths().mainSwfData->view(), movie);

    // A short file grows to 64 bytes, the missing ones counting as 0 before the XOR.
    rt::File::saveBytes(folder / "lobby.dat", {1, 2, 3});
    Main::loadLocalResources();
    ASSERT_EQ(installPaths().mainSwfData->data().size(), 64u);
    EXPECT_EQ(installPaths().mainSwfData->data()[0], 1 ^ positionKey(0));
    EXPECT_EQ(installPaths().mainSwfData->data()[63], positionKey(63));
}

class FlashTrustTest : public LocalResourcesTest {
protected:
    void SetUp() override {
        LocalResourcesTest::SetUp();
        setenv("SystemRoot", (root / "Windows").c_str(), 1);
        setenv("APPDATA", (root / "AppData").c_str(), 1);
        setenv("ProgramFiles", (root / "Programs").c_str(), 1);
    }
    std::string trustFile() {
        return root / "Windows/System32/Macromed/Flash/FlashPlayerTrust/Velmoor.cfg";
    }
    rt::testing::TestFolder root;
};

TEST_F(FlashTrustTest, TheProgramFolderIsAddedOnce) {
    Main::setFlashTrust();
    EXPECT_EQ(rt::File::getContent(trustFile()), installPaths().appPath);
    EXPECT_EQ(installPaths().appDataPath, root / "AppData");
    EXPECT_EQ(installPaths().programFiles, root / "Programs");

    Main::setFlashTrust();
    EXPECT_EQ(rt::File::getContent(trustFile()), installPaths().appPath);

    const std::string first = installPaths().appPath;
    installPaths().appPath = "/opt/other/";
    Main::setFlashTrust();
    EXPECT_EQ(rt::File::getContent(trustFile()), first + "\n/opt/other/");
}

class UnityTest : public LocalResourcesTest {
protected:
    void install(const std::vector<std::string>& files) {
        for (const std::string& f : files) {
            std::filesystem::create_directories(std::filesystem::path(player / f).parent_path());
            rt::File::saveContent(player / f, "");
        }
        host.answer("registry_get_value", rt::Value(player.path()));
    }
    void check() {
        rt::Ref<Main> main = rt::make<Main>();
        Main::checkUnityPlayer(*main);
    }
    rt::testing::TestFolder player;
};

TEST_F(UnityTest, AnIncompletePlayerStartsTheInstallerSilently) {
    install({"loader/npUnity3D32.dll", "UnityWebPlayerUpdate.exe"});
    check();
    const auto calls = host.calls("win_create_process");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].args[0], rt::Value(installPaths().appPath + "UnityWebPlayer.exe"));
    EXPECT_EQ(calls[0].args[1], rt::Value("/S"));
    const auto registry = host.calls("registry_get_value");
    ASSERT_EQ(registry.size(), 1u);
    EXPECT_EQ(registry[0].args[1], rt::Value("Software\\Unity\\WebPlayer"));
    EXPECT_EQ(registry[0].args[2], rt::Value("Directory"));
}

TEST_F(UnityTest, AnInstalledPlayerIsLeftAlone) {
    install({"loader/npUnity3D32.dll", "UnityWebPlayerUpdate.exe", "UnityBugReporter.exe"});
    check();
    EXPECT_EQ(host.count("win_create_process"), 0);
}

}  // namespace
}  // namespace lobby
