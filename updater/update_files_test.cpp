#include "updater/update_files.h"

#include <gtest/gtest.h>

#include "updater/local_file.h"
#include "updater/manifest_writer.h"
#include "updater/test_folder.h"

namespace haldor {
namespace {

CUpdateFile Entry(const std::string& name, const std::string& local_path = "",
                  const std::string& install_dir = "CURRENTDIR") {
    CUpdateFile f;
    f.file_name = name;
    f.local_path = local_path;
    f.install_dir = install_dir;
    f.file_version = "1.0.0.1";
    f.product_version = "1.0.0.1";
    f.length = 123;
    f.file_time = {0x89ABCDEF, 0x01D75F00};
    f.md5 = "0123456789abcdef0123456789abcdef";
    return f;
}

class UpdateFilesTest : public ::testing::Test {
protected:
    InstallFolders Folders() const { return {dir.path(), dir / "win", dir / "win/System32"}; }
    std::string WriteManifest(const std::string& name, const ManifestProduct& product,
                              const std::vector<CUpdateFile>& files) {
        dir.Write(name, ManifestText(product, files));
        return dir / name;
    }
    TestFolder dir;
};

TEST_F(UpdateFilesTest, VersionFileReadsTheMaximumVersionOnlyOnce) {
    CUpdateFiles files(Folders());
    auto first = WriteManifest("v1.xml", {"3", "5", {"127.0.0.1:1", "127.0.0.1:2"}}, {});
    auto second = WriteManifest("v2.xml", {"4", "9", {"127.0.0.1:7"}}, {});
    EXPECT_FALSE(files.Load(first, true));
    EXPECT_EQ(files.list_version(), "3");
    EXPECT_EQ(files.max_version(), "5");
    files.ReadProduct(first);
    EXPECT_EQ(files.server(1), "127.0.0.1:1");
    EXPECT_EQ(files.server(2), "127.0.0.1:2");
    EXPECT_EQ(files.server(3), "");

    EXPECT_FALSE(files.Load(second, true));
    files.ReadProduct(second);
    EXPECT_EQ(files.list_version(), "4");
    EXPECT_EQ(files.max_version(), "5");
    EXPECT_EQ(files.server(1), "127.0.0.1:7");
    EXPECT_EQ(files.server(2), "");
}

TEST_F(UpdateFilesTest, ProductAttributesCountByPosition) {
    dir.Write("v.xml",
              "<?xml version=\"1.0\"?><xmlRoot><a><Product maxVersion=\"9\" productVerion=\"2\" "
              "UrlList2=\"second\" UrlList1=\"first\"/></a></xmlRoot>");
    CUpdateFiles files(Folders());
    files.Load(dir / "v.xml", true);
    files.ReadProduct(dir / "v.xml");
    EXPECT_EQ(files.list_version(), "9");
    EXPECT_EQ(files.max_version(), "2");
    EXPECT_EQ(files.server(1), "second");
    EXPECT_EQ(files.server(2), "first");
}

TEST_F(UpdateFilesTest, FileListEntriesAndTargetsInGb2312) {
    std::vector<CUpdateFile> entries = {Entry("游戏.dll", "", "WINDOWSDIR"),
                                        Entry("b.dll", "plug\\x", "SYSTEMDIR"),
                                        Entry("c.txt", "data", "elsewhere")};
    entries[2].length = 4000000000u;
    auto path = WriteManifest("f.xml", {"3", "5", {}}, entries);
    EXPECT_NE(dir.Read("f.xml").find("\xD3\xCE\xCF\xB7"), std::string::npos) << "GB2312 bytes";

    CUpdateFiles files(Folders());
    ASSERT_TRUE(files.Load(path, false));
    EXPECT_EQ(files.list_version(), "");
    EXPECT_EQ(files.CountToUpdate(false), 3u);
    EXPECT_EQ(files.TotalLength(), 4000000246u);
    auto a = files.PopFront();
    EXPECT_EQ(a->file_name, "游戏.dll");
    EXPECT_EQ(a->target_path, dir / "win/游戏.dll");
    EXPECT_EQ(a->file_time, entries[0].file_time);
    EXPECT_EQ(a->md5, entries[0].md5);
    EXPECT_EQ(a->file_version, "1.0.0.1");
    auto b = files.PopFront();
    EXPECT_EQ(b->target_path, dir / "win/System32/plug/x/b.dll");
    auto c = files.PopFront();
    EXPECT_EQ(c->target_path, dir / "data/c.txt");
    EXPECT_EQ(c->length, 4000000000u);
    EXPECT_FALSE(files.PopFront());
}

TEST_F(UpdateFilesTest, UnreadableFilesAndOddNumbers) {
    CUpdateFiles files(Folders());
    EXPECT_FALSE(files.Load(dir / "missing.xml", false));
    dir.Write("bad.xml", "<?xml version=\"1.0\"?><xmlRoot><File>");
    EXPECT_FALSE(files.Load(dir / "bad.xml", false));
    dir.Write("enc.xml", "<?xml version=\"1.0\" encoding=\"no-such-encoding\"?><xmlRoot/>");
    EXPECT_FALSE(files.Load(dir / "enc.xml", false));
    dir.Write("empty.xml", "<?xml version=\"1.0\"?><xmlRoot/>");
    EXPECT_TRUE(files.Load(dir / "empty.xml", false));
    EXPECT_EQ(files.CountToUpdate(false), 0u);

    dir.Write("n.xml",
              "<xmlRoot><File><FILENAME>n</FILENAME><length>-5</length>"
              "<FileDateLow>99999999999</FileDateLow><FileDateHigh>7</FileDateHigh></File>"
              "</xmlRoot>");
    ASSERT_TRUE(files.Load(dir / "n.xml", false));
    auto n = files.PopFront();
    EXPECT_EQ(n->file_name, "n");
    EXPECT_EQ(n->length, 0u);
    EXPECT_EQ(n->file_time.low, 0u);
    EXPECT_EQ(n->file_time.high, 7u);

    dir.Write("big.xml",
              "<xmlRoot><File><FileName>n</FileName><Length>99999999999999999999</Length>"
              "</File></xmlRoot>");
    ASSERT_TRUE(files.Load(dir / "big.xml", false));
    EXPECT_EQ(files.PopFront()->length, 0u);
    EXPECT_EQ(n->install_dir, "CURRENTDIR");
}

TEST_F(UpdateFilesTest, NeedsUpdateByPresenceAndModificationTime) {
    std::vector<CUpdateFile> entries = {Entry("missing.bin"), Entry("same.bin"),
                                        Entry("other.bin")};
    dir.Write("same.bin", "s");
    dir.Write("other.bin", "o");
    ASSERT_TRUE(SetFileTimes(dir / "same.bin", entries[1].file_time));
    auto path = WriteManifest("f.xml", {"3", "5", {}}, entries);

    CUpdateFiles files(Folders());
    ASSERT_TRUE(files.Load(path, false));
    EXPECT_EQ(files.CountToUpdate(false), 2u);
    EXPECT_EQ(files.PopFront()->file_name, "missing.bin");
    EXPECT_EQ(files.PopFront()->file_name, "other.bin");

    ASSERT_TRUE(files.Load(path, false));
    EXPECT_EQ(files.CountToUpdate(true), 1u);
    EXPECT_EQ(files.PopFront()->file_name, "missing.bin");
}

TEST_F(UpdateFilesTest, EntriesThatLeaveTheirFolderAreKeptAsUnsafe) {
    dir.Write("ok.bin", "x");
    std::vector<CUpdateFile> entries = {Entry("../escape.bin"),
                                        Entry("ok.bin", "a/../.."),
                                        Entry("/etc/passwd"),
                                        Entry("ok.bin", "C:\\x"),
                                        Entry("a.bin&#13;&#10;X: y"),
                                        Entry("ok.bin", "a&#9;b"),
                                        Entry("."),
                                        Entry("sub/"),
                                        Entry("sub\\."),
                                        Entry("sub/..x/ok..bin", "a\\b")};
    auto path = WriteManifest("f.xml", {"3", "5", {}}, entries);
    CUpdateFiles files(Folders());
    ASSERT_TRUE(files.Load(path, false));
    EXPECT_EQ(files.CountToUpdate(true), 10u);
    for (int i = 0; i < 9; ++i) EXPECT_FALSE(files.PopFront()->IsSafe()) << "entry " << i;
    EXPECT_TRUE(files.PopFront()->IsSafe());
}

TEST_F(UpdateFilesTest, AMaximumVersionThatIsNoNumberIsNone) {
    for (const char* max : {"0/../../../tmp/x/pwned", "5&#13;&#10;[HOME]", "5x", "-1", ""}) {
        auto path = WriteManifest("v.xml", {"3", max, {}}, {});
        CUpdateFiles files(Folders());
        files.Load(path, true);
        EXPECT_EQ(files.max_version(), "") << max;
        EXPECT_EQ(files.list_version(), "3");
    }
    auto path = WriteManifest("v.xml", {"3", " 007 ", {}}, {});
    CUpdateFiles files(Folders());
    files.Load(path, true);
    EXPECT_EQ(files.max_version(), "7");
}

}  // namespace
}  // namespace haldor
