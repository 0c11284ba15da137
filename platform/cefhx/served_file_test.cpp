#include "platform/cefhx/served_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "runtime/test_folder.h"

namespace cefhx {
namespace {

using Status = ServedFile::Status;

class ServedFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
        write(folder + "/page.html", "<p>hi</p>");
        write(dir / "secret.txt", "outside");
    }
    static void write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    ServedFile read(const std::string& name, size_t cap = kServedFileCap) {
        return readServedFile(ServedPath{folder, folder + "/" + name}, cap);
    }

    rt::testing::TestFolder dir;
    std::string folder = dir / "resource";
};

TEST_F(ServedFileTest, RegularFilesInsideAreServedAndMissingOnesAreNot) {
    const ServedFile page = read("page.html");
    EXPECT_EQ(page.status, Status::Ok);
    EXPECT_EQ(page.body, "<p>hi</p>");
    EXPECT_EQ(read("nothing.html").status, Status::Missing);
    // A link that stays inside is fine.
    ASSERT_EQ(symlink("page.html", (folder + "/alias.html").c_str()), 0);
    EXPECT_EQ(read("alias.html").body, "<p>hi</p>");
}

TEST_F(ServedFileTest, LinksLeavingTheFolderAndSpecialFilesAreRefused) {
    ASSERT_EQ(symlink("../secret.txt", (folder + "/out.txt").c_str()), 0);
    ASSERT_EQ(symlink("/dev/zero", (folder + "/zero.bin").c_str()), 0);
    ASSERT_EQ(symlink("..", (folder + "/up").c_str()), 0);
    ASSERT_EQ(mkfifo((folder + "/pipe").c_str(), 0600), 0);
    ASSERT_EQ(mkdir((folder + "/sub").c_str(), 0755), 0);
    for (const char* name : {"out.txt", "zero.bin", "up/secret.txt", "pipe", "sub"}) {
        const ServedFile file = read(name);
        EXPECT_EQ(file.status, Status::Refused) << name;
        EXPECT_TRUE(file.body.empty()) << name;
        EXPECT_FALSE(file.why.empty()) << name;
    }
}

TEST_F(ServedFileTest, FilesAboveTheCapAreRefused) {
    write(folder + "/big.bin", std::string(100, 'x'));
    EXPECT_EQ(read("big.bin", 100).status, Status::Ok);
    const ServedFile big = read("big.bin", 99);
    EXPECT_EQ(big.status, Status::Refused);
    EXPECT_NE(big.why.find("100 bytes"), std::string::npos) << big.why;
}

}  // namespace
}  // namespace cefhx
