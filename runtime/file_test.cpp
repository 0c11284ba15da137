#include "runtime/file.h"

#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "runtime/file_system.h"
#include "runtime/io_error.h"
#include "runtime/test_folder.h"

namespace rt {
namespace {

using ::testing::HasSubstr;
using testing::TestFolder;

std::vector<uint8_t> everyByteValue() {
    std::vector<uint8_t> bytes;
    for (int round = 0; round < 300; ++round) {
        for (int value = 0; value < 256; ++value) bytes.push_back(static_cast<uint8_t>(value));
    }
    return bytes;
}

TEST(FileTest, BytesSurviveAWriteAndReadWithBackslashPaths) {
    TestFolder folder;
    const std::vector<uint8_t> bytes = everyByteValue();
    File::saveBytes(folder.path() + "\\data.bin", bytes);
    EXPECT_EQ(File::getBytes(folder / "data.bin"), bytes);
}

TEST(FileTest, SavingTextReplacesTheWholeFile) {
    TestFolder folder;
    File::saveContent(folder / "UserSet.ini", "a much longer first text");
    File::saveContent(folder / "UserSet.ini", std::string("short\0x", 7));
    EXPECT_EQ(File::getContent(folder / "UserSet.ini"), std::string("short\0x", 7));
    File::saveContent(folder / "UserSet.ini", "");
    EXPECT_EQ(File::getContent(folder / "UserSet.ini"), "");
}

TEST(FileTest, ReplacingContentLeavesOnlyTheNewFileAndCleansUpAFailure) {
    TestFolder folder;
    File::saveContent(folder / "UserSet.ini", "a much longer first text");
    File::replaceContent(folder.path() + "\\UserSet.ini", "<data><ver>2</ver></data>");
    EXPECT_EQ(File::getContent(folder / "UserSet.ini"), "<data><ver>2</ver></data>");
    File::replaceContent(folder / "new.ini", "");
    EXPECT_EQ(File::getContent(folder / "new.ini"), "");
    EXPECT_EQ(FileSystem::readDirectory(folder.path()),
              (std::vector<std::string>{"UserSet.ini", "new.ini"}));

    // A file cannot take the place of a folder: the failure names the path, and the new content
    // written beside it is removed again.
    FileSystem::createDirectory(folder / "taken");
    try {
        File::replaceContent(folder / "taken", "text");
        ADD_FAILURE() << "a folder was replaced by a file";
    } catch (const IoError& error) {
        EXPECT_THAT(error.what(), HasSubstr(folder / "taken"));
    }
    EXPECT_TRUE(FileSystem::isDirectory(folder / "taken"));
    EXPECT_EQ(FileSystem::readDirectory(folder.path()),
              (std::vector<std::string>{"UserSet.ini", "new.ini", "taken"}));
    EXPECT_THROW(File::replaceContent(folder / "missing/a.ini", "text"), IoError);
}

TEST(FileTest, ReplacingContentKeepsThePermissionsOfTheFile) {
    TestFolder folder;
    const auto modeOf = [](const std::string& path) {
        struct stat s {};
        ::stat(path.c_str(), &s);
        return s.st_mode & 0777;
    };
    const mode_t umask = ::umask(022);
    File::replaceContent(folder / "private.ini", "secret", 0600);
    EXPECT_EQ(modeOf(folder / "private.ini"), 0600u);
    File::replaceContent(folder / "private.ini", "still secret");
    EXPECT_EQ(modeOf(folder / "private.ini"), 0600u) << "a replaced file keeps its permissions";
    File::replaceContent(folder / "shared.ini", "open");
    EXPECT_EQ(modeOf(folder / "shared.ini"), 0644u);
    ::chmod((folder / "shared.ini").c_str(), 0640);
    File::replaceContent(folder / "shared.ini", "open again");
    EXPECT_EQ(modeOf(folder / "shared.ini"), 0640u);
    ::umask(umask);
}

TEST(FileTest, CopyDuplicatesTheBytes) {
    TestFolder folder;
    const std::vector<uint8_t> bytes = everyByteValue();
    File::saveBytes(folder / "source.bin", bytes);
    File::saveContent(folder / "target.bin", "old content that is longer than nothing");
    File::copy(folder.path() + "\\source.bin", folder.path() + "\\target.bin");
    EXPECT_EQ(File::getBytes(folder / "target.bin"), bytes);
    EXPECT_EQ(File::getBytes(folder / "source.bin"), bytes);
}

TEST(FileTest, FailuresNameThePath) {
    TestFolder folder;
    const auto expectError = [](auto operation, const std::string& path) {
        try {
            operation();
            ADD_FAILURE() << "no error for " << path;
        } catch (const IoError& error) {
            EXPECT_THAT(error.what(), HasSubstr(path));
        }
    };
    const std::string missing = folder.path() + "\\missing\\Client.ini";
    expectError([&] { File::getContent(missing); }, missing);
    expectError([&] { File::getBytes(folder.path()); }, folder.path());
    expectError([&] { File::saveContent(missing, "x"); }, missing);
    expectError([&] { File::copy(missing, folder / "out"); }, missing);
    File::saveContent(folder / "in", "x");
    expectError([&] { File::copy(folder / "in", missing); }, missing);
}

}  // namespace
}  // namespace rt
