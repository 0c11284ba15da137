#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "lobby/app/config.h"
#include "lobby/app/install_paths.h"
#include "lobby/bindings/fake_host.h"
#include "runtime/file.h"
#include "runtime/md5.h"
#include "runtime/test_folder.h"

namespace lobby {
namespace {

class MachineCodeTest : public ::testing::Test {
protected:
    void SetUp() override {
        installPaths().appPath = install.path() + "/";
        installPaths().appDataPath = appData.path();
        Config::machineCodeStr.reset();
        host.answer("trox_gethardinfo", rt::Value(hardware));
    }
    void TearDown() override { Config::machineCodeStr.reset(); }
    bool libraryBound() {
        for (const auto& b : host.bindings()) {
            if (b.library == "Zorbtools") return true;
        }
        return false;
    }
    std::string stored() { return appData / "Velto/Client.dat"; }

    const std::string hardware = "machine:1234|cpu:Test CPU|board:Test Board";
    bindings::FakeHost host;
    rt::testing::TestFolder install;
    rt::testing::TestFolder appData;
};

// The hardware library is the real one the build puts beside this test program; the working
// folder (`install`) holds no library.
TEST_F(MachineCodeTest, AStoredCodeIsAnsweredAsItIsWithoutTheLibrary) {
    std::filesystem::create_directory(appData / "Velto");
    rt::File::saveContent(stored(), "not-a-digest \n");
    EXPECT_EQ(Config::getMachineCode(), "not-a-digest \n");
    EXPECT_FALSE(libraryBound());
}

TEST_F(MachineCodeTest, TheCodeIsTheDigestOfTheHardwareTextAndIsStored) {
    const std::string code = Config::getMachineCode();
    EXPECT_EQ(code.size(), 32u);
    EXPECT_TRUE(std::ranges::all_of(code, [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    })) << code;
    EXPECT_EQ(code, rt::md5Hex(hardware));
    EXPECT_EQ(rt::File::getContent(stored()), code);
    EXPECT_TRUE(libraryBound());

    // Computed again after the file is gone: the same hardware gives the same code.
    std::filesystem::remove(stored());
    Config::machineCodeStr.reset();
    EXPECT_EQ(Config::getMachineCode(), code);
}

TEST_F(MachineCodeTest, AnEmptyCodeOnceAnsweredStaysForTheRun) {
    Config::machineCodeStr = "";
    EXPECT_EQ(Config::getMachineCode(), "");
    EXPECT_FALSE(libraryBound());
}

TEST_F(MachineCodeTest, AnUnwritableStoreStillAnswersTheCode) {
    rt::File::saveContent(appData / "Velto", "a file where the folder should be");
    EXPECT_EQ(Config::getMachineCode(), rt::md5Hex(hardware));
}

}  // namespace
}  // namespace lobby
