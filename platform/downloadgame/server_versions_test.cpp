#include "platform/downloadgame/server_versions.h"

#include <gtest/gtest.h>

namespace downloadgame {
namespace {

TEST(ServerVersions, VersionsKeepTheirFileListsAndSkipCommentsAndBlankLines) {
    const auto read = ServerVersions::parse("# list\n[1.0.0]\n\n[ 1.0.1 ]\n\\fish\\a.dll\r\n\\b\n");
    ASSERT_TRUE(read) << read.error();
    EXPECT_EQ(read->versions, (std::vector<std::string>{"1.0.0", "1.0.1"}));
    EXPECT_EQ(read->files, (std::vector<std::vector<std::string>>{{}, {"\\fish\\a.dll", "\\b"}}));
    EXPECT_EQ(read->serverVerPath(), "1_0_1");
}

TEST(ServerVersions, MalformedListsFailNamingTheLine) {
    const auto fileFirst = ServerVersions::parse("\n\\a.dll\n[1]\n");
    ASSERT_FALSE(fileFirst);
    EXPECT_EQ(fileFirst.error(), "versions.txt line 2: file \\a.dll before the first version");
    const auto emptyVersion = ServerVersions::parse("[1]\n[ ]\n");
    ASSERT_FALSE(emptyVersion);
    EXPECT_EQ(emptyVersion.error(), "versions.txt line 2: empty version");
    for (const char* none : {"", "# only a comment\n\n"}) {
        const auto read = ServerVersions::parse(none);
        ASSERT_FALSE(read);
        EXPECT_EQ(read.error(), "versions.txt names no version");
    }
}

}  // namespace
}  // namespace downloadgame
