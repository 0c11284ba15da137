#include "runtime/env.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "runtime/file_system.h"
#include "runtime/test_folder.h"

namespace rt {
namespace {

using testing::TestFolder;

// Sets or unsets a variable for one test and puts the old value back afterwards.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedVariable() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(EnvTest, ASetVariableIsAnsweredAsItIs) {
    ScopedVariable appData("APPDATA", "/somewhere/roaming");
    ScopedVariable other("MORVICK_TEST_VALUE", "a b=c");
    EXPECT_EQ(env("APPDATA"), "/somewhere/roaming");
    EXPECT_EQ(env("MORVICK_TEST_VALUE"), "a b=c");
}

TEST(EnvTest, WindowsFoldersDefaultToExistingFoldersUnderTheDataFolder) {
    TestFolder data;
    ScopedVariable xdg("XDG_DATA_HOME", data.path().c_str());
    ScopedVariable systemRoot("SystemRoot", nullptr);
    ScopedVariable appData("APPDATA", nullptr);
    ScopedVariable programFiles("ProgramFiles", nullptr);

    EXPECT_EQ(env("SystemRoot"), data / "morvick/SystemRoot");
    EXPECT_EQ(env("APPDATA"), data / "morvick/AppData");
    EXPECT_EQ(env("ProgramFiles"), data / "morvick/ProgramFiles");
    EXPECT_TRUE(FileSystem::isDirectory(data / "morvick/SystemRoot"));
    EXPECT_TRUE(FileSystem::isDirectory(data / "morvick/AppData"));
}

TEST(EnvTest, WithoutAnAbsoluteDataFolderTheDefaultsLiveUnderHome) {
    TestFolder home;
    ScopedVariable homeVariable("HOME", home.path().c_str());
    ScopedVariable xdg("XDG_DATA_HOME", "relative/data");
    ScopedVariable systemRoot("SystemRoot", nullptr);
    EXPECT_EQ(env("SystemRoot"), home / ".local/share/morvick/SystemRoot");
    EXPECT_FALSE(FileSystem::exists("relative"));
}

TEST(EnvTest, OtherUnsetNamesAnswerNothing) {
    ScopedVariable unset("MORVICK_TEST_UNSET", nullptr);
    EXPECT_FALSE(env("MORVICK_TEST_UNSET").has_value());
    // Names are matched with their letter case.
    ScopedVariable upper("SYSTEMROOT", nullptr);
    EXPECT_FALSE(env("SYSTEMROOT").has_value());
}

}  // namespace
}  // namespace rt
