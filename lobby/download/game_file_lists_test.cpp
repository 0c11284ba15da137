#include "lobby/download/game_file_lists.h"

#include <gtest/gtest.h>

#include "lobby/download/atomic_file.h"
#include "lobby/download/safe_path.h"
#include "runtime/file.h"
#include "runtime/file_system.h"
#include "runtime/test_folder.h"

namespace download {
namespace {

rt::Ref<rt::Array> texts(std::initializer_list<const char*> items) {
    auto a = rt::make<rt::Array>();
    for (const char* item : items) a->push(rt::Value(item));
    return a;
}

std::vector<std::string> textsOf(const rt::Ref<rt::Array>& a) {
    std::vector<std::string> out;
    for (const rt::Value& v : a->items()) out.emplace_back(v.str());
    return out;
}

using Strings = std::vector<std::string>;

TEST(ServerListTest, EveryTopLevelElementIsAFileWithItsModulesAndDigest) {
    auto entries = parseServerList(
        "<a dep=\"fish,poker\" md5=\"abc\" pname=\"x\">\\fish\\a.dll</a>"
        "<file dep=\"@gameall\" md5=\"def\" pak=\"1\">\\common.dat</file>");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].file, "\\fish\\a.dll");
    EXPECT_EQ(entries[0].md5, "abc");
    EXPECT_EQ(entries[0].modules, (Strings{"fish", "poker"}));
    EXPECT_EQ(entries[1].modules, (Strings{"@gameall"}));
    EXPECT_THROW(parseServerList("<a>unclosed"), std::exception);
}

TEST(CandidateVersionsTest, TheVersionListsPickTheVersionsAFileIsLookedForIn) {
    auto versions = texts({"1.0.0", "1.0.1", "1.0.2", "1.0.3"});
    auto none = rt::make<rt::Array>();
    EXPECT_EQ(textsOf(candidateVersions("\\a", versions.get(), none.get())),
              (Strings{"1.0.0", "1.0.1", "1.0.2", "1.0.3"}));

    auto lists = rt::Array::of({rt::Value(texts({})), rt::Value(texts({"\\b"})),
                                rt::Value(texts({"\\c"})), rt::Value(texts({"\\a"}))});
    EXPECT_EQ(textsOf(candidateVersions("\\a", versions.get(), lists.get())), (Strings{"1.0.3"}));
    EXPECT_EQ(textsOf(candidateVersions("\\b", versions.get(), lists.get())), (Strings{"1.0.1"}));
    EXPECT_EQ(textsOf(candidateVersions("\\z", versions.get(), lists.get())), (Strings{"1.0.0"}));

    lists->set(2, rt::Value(texts({})));
    EXPECT_EQ(textsOf(candidateVersions("\\z", versions.get(), lists.get())),
              (Strings{"1.0.0", "1.0.1", "1.0.2"}));
    EXPECT_EQ(textsOf(candidateVersions("\\a", versions.get(), lists.get())), (Strings{"1.0.3"}));
}

TEST(LocalListTest, TwoModulesFilesAreOneLineThatReadsBackAsTheSameMap) {
    auto list = rt::make<rt::Record>();
    list->set("\\poker\\b.dll", rt::Record::of({{"md5", "22"}, {"dep", "poker"}}));
    list->set("\\fish\\a.dll", rt::Record::of({{"md5", "11"}, {"dep", "fish,@gameall"}}));
    std::string text = localListText(*list);
    EXPECT_EQ(text,
              "<f md5=\"11\" dep=\"fish,@gameall\">\\fish\\a.dll</f>"
              "<f md5=\"22\" dep=\"poker\">\\poker\\b.dll</f>");
    auto back = parseLocalList(text);
    ASSERT_EQ(back->size(), 2);
    EXPECT_EQ(back->get("\\fish\\a.dll").get("dep").str(), "fish,@gameall");
    EXPECT_EQ(back->get("\\poker\\b.dll").get("md5").str(), "22");
}

TEST(LocalListTest, ValuesWithMarkupCharactersComeBackByteForByte) {
    auto list = rt::make<rt::Record>();
    list->set("\\a&b\\<c>.txt", rt::Record::of({{"md5", "\"q\"&"}, {"dep", "x<y"}}));
    auto back = parseLocalList(localListText(*list));
    ASSERT_EQ(back->size(), 1);
    EXPECT_EQ(back->get("\\a&b\\<c>.txt").get("md5").str(), "\"q\"&");
    EXPECT_EQ(back->get("\\a&b\\<c>.txt").get("dep").str(), "x<y");
}

TEST(LocalListTest, BlanksAndLineEndsComeBackAsWritten) {
    auto list = rt::make<rt::Record>();
    list->set(" ", rt::Record::of({{"md5", "a\tb"}, {"dep", "x\ny\r\n"}}));
    list->set("\\dir\\ two  spaces .txt ", rt::Record::of({{"md5", " "}, {"dep", "\r"}}));
    list->set("&#32;", rt::Record::of({{"md5", ""}, {"dep", ""}}));
    auto back = parseLocalList(localListText(*list));
    ASSERT_EQ(back->size(), 3);
    EXPECT_EQ(back->get(" ").get("md5").str(), "a\tb");
    EXPECT_EQ(back->get(" ").get("dep").str(), "x\ny\r\n");
    EXPECT_EQ(back->get("\\dir\\ two  spaces .txt ").get("md5").str(), " ");
    EXPECT_EQ(back->get("\\dir\\ two  spaces .txt ").get("dep").str(), "\r");
    EXPECT_TRUE(back->has("&#32;"));
}

TEST(AtomicFileTest, ASetOfCopiesTakesItsPlacesOnlyOnCommit) {
    rt::testing::TestFolder folder;
    rt::File::saveContent(folder / "a.new", "A2");
    rt::File::saveContent(folder / "a", "A1");
    {
        FileSetReplacement set;
        set.copy(folder / "a.new", folder / "a");
        EXPECT_EQ(rt::File::getContent(folder / "a"), "A1");
        EXPECT_THROW(set.copy(folder / "missing", folder / "b"), std::exception);
    }
    EXPECT_EQ(rt::FileSystem::readDirectory(folder.path()), (Strings{"a", "a.new"}));
    FileSetReplacement set;
    set.copy(folder / "a.new", folder / "a");
    set.commit();
    EXPECT_EQ(rt::File::getContent(folder / "a"), "A2");
    EXPECT_EQ(rt::FileSystem::readDirectory(folder.path()), (Strings{"a", "a.new"}));
}

TEST(SafePathTest, OnlyPathsInsideTheInstallationFolderAreSafe) {
    EXPECT_TRUE(isSafeGamePath("\\fish\\a.dll"));
    EXPECT_TRUE(isSafeGamePath("/fish/a.dll"));
    EXPECT_TRUE(isSafeGamePath("\\a..b.txt"));
    for (const char* bad :
         {"", "\\", "fish\\a.dll", "\\\\host\\share\\a", "\\..\\a.dll", "\\fish\\..\\..\\a.dll",
          "/fish/../../etc/passwd", "\\C:\\a.dll", "C:\\a.dll", "\\fish\\"}) {
        EXPECT_FALSE(isSafeGamePath(bad)) << bad;
    }
}

}  // namespace
}  // namespace download
