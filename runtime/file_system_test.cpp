#include "runtime/file_system.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "runtime/file.h"
#include "runtime/io_error.h"
#include "runtime/test_folder.h"

namespace rt {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::TestFolder;

TEST(FileSystemTest, BackslashesAndSlashesNameTheSameFolders) {
    TestFolder folder;
    FileSystem::createDirectory(folder.path() + "\\games\\cards/poker");
    EXPECT_TRUE(FileSystem::isDirectory(folder / "games/cards/poker"));
    EXPECT_TRUE(FileSystem::exists(folder.path() + "\\games\\cards"));
    EXPECT_FALSE(FileSystem::exists(folder / "games\\cards\\chess"));
    // Creating an existing folder again is not an error.
    FileSystem::createDirectory(folder / "games/cards");
}

TEST(FileSystemTest, ExistsIsTrueForFilesAndFoldersButOnlyFoldersAreDirectories) {
    TestFolder folder;
    File::saveContent(folder / "a.v", "1.0");
    EXPECT_TRUE(FileSystem::exists(folder / "a.v"));
    EXPECT_FALSE(FileSystem::isDirectory(folder / "a.v"));
    EXPECT_TRUE(FileSystem::isDirectory(folder.path()));
}

TEST(FileSystemTest, ListsEntriesSortedWithoutDotEntries) {
    TestFolder folder;
    File::saveContent(folder / "zeta.v", "");
    File::saveContent(folder / "alpha.v", "");
    FileSystem::createDirectory(folder / "mid");
    EXPECT_THAT(FileSystem::readDirectory(folder.path() + "\\"),
                ElementsAre("alpha.v", "mid", "zeta.v"));
    EXPECT_THROW(FileSystem::readDirectory(folder / "none"), IoError);
}

TEST(FileSystemTest, DeletesFilesAndEmptyFoldersOnly) {
    TestFolder folder;
    FileSystem::createDirectory(folder / "full\\inner");
    File::saveContent(folder / "full/file.txt", "x");
    try {
        FileSystem::deleteDirectory(folder / "full");
        FAIL() << "a folder with entries was deleted";
    } catch (const IoError& error) {
        EXPECT_THAT(error.what(), HasSubstr(folder / "full"));
    }
    EXPECT_THROW(FileSystem::deleteFile(folder / "full"), IoError);
    EXPECT_THROW(FileSystem::deleteDirectory(folder / "full\\file.txt"), IoError);

    FileSystem::deleteFile(folder / "full\\file.txt");
    FileSystem::deleteDirectory(folder / "full\\inner");
    FileSystem::deleteDirectory(folder / "full");
    EXPECT_FALSE(FileSystem::exists(folder / "full"));
}

TEST(FileSystemTest, DeletingAMissingFileNamesIt) {
    TestFolder folder;
    try {
        FileSystem::deleteFile(folder / "gone\\x.dat");
        FAIL() << "deleting a missing file succeeded";
    } catch (const IoError& error) {
        EXPECT_THAT(error.what(), HasSubstr("gone\\x.dat"));
    }
}

TEST(FileSystemTest, RenamesAcrossFolders) {
    TestFolder folder;
    FileSystem::createDirectory(folder / "from");
    FileSystem::createDirectory(folder / "to");
    File::saveContent(folder / "from/a.txt", "moved");
    FileSystem::rename(folder.path() + "\\from\\a.txt", folder.path() + "\\to\\b.txt");
    EXPECT_FALSE(FileSystem::exists(folder / "from/a.txt"));
    EXPECT_EQ(File::getContent(folder / "to/b.txt"), "moved");
    EXPECT_THROW(FileSystem::rename(folder / "from/a.txt", folder / "c.txt"), IoError);
}

TEST(FileSystemTest, CurrentFolderFollowsChangesGivenWithBackslashes) {
    TestFolder folder;
    FileSystem::createDirectory(folder / "work");
    const std::string before = FileSystem::currentDirectory();
    FileSystem::setCurrentDirectory(folder.path() + "\\work");
    const std::string inside = FileSystem::currentDirectory();
    FileSystem::setCurrentDirectory(before);
    EXPECT_TRUE(std::filesystem::equivalent(inside, folder / "work"));
    EXPECT_THROW(FileSystem::setCurrentDirectory(folder / "none"), IoError);
}

TEST(FileSystemTest, ExecutablePathIsThisProgram) {
    const std::string self = FileSystem::executablePath();
    EXPECT_TRUE(std::filesystem::equivalent(self, "/proc/self/exe"));
}

}  // namespace
}  // namespace rt
