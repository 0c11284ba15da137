#include "updater/local_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "updater/md5_digest.h"
#include "updater/test_folder.h"

namespace haldor {
namespace {

TEST(LocalFile, FileTimeRoundTripsThroughTheModificationTime) {
    TestFolder dir;
    dir.Write("a.bin", "12345");
    // 2021-06-01 12:00:00.1234567 UTC as 100 ns intervals since 1601.
    const std::uint64_t ticks = 132670224001234567ull;
    FileTime time{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
    ASSERT_TRUE(SetFileTimes(dir / "a.bin", time));
    auto info = ReadLocalFile(dir / "a.bin");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->write_time, time);
    EXPECT_EQ(info->length, 5u);
    EXPECT_EQ(info->md5, MD5_CTX::FileDigest(dir / "a.bin"));
}

TEST(LocalFile, AFileTimeWithTheHighHalfAtOrAbove2To31IsFarFutureNotPast) {
    TestFolder dir;
    dir.Write("a.bin", "x");
    constexpr time_t kYear2100 = 4102444800;
    for (std::uint32_t high : {0x80000000u, 0xFFFFFFFFu}) {
        // File systems keep what they can of such a time (ext4 stops in 2446), never the past.
        if (!SetFileTimes(dir / "a.bin", FileTime{0xFFFFFFFFu, high})) continue;
        struct stat st {};
        ASSERT_EQ(::stat((dir / "a.bin").c_str(), &st), 0);
        EXPECT_GT(st.st_mtim.tv_sec, kYear2100) << high;
    }
}

TEST(LocalFile, FoldersAndBackslashes) {
    TestFolder dir;
    ASSERT_TRUE(CreateFoldersFor(dir.path() + "\\x\\y/z.txt"));
    dir.Write("x/y/z.txt", "z");
    EXPECT_TRUE(FileExists(dir.path() + "\\x\\y\\z.txt"));
    EXPECT_FALSE(FileExists(dir / "x/y"));
    EXPECT_FALSE(ReadLocalFile(dir / "x/missing"));
}

}  // namespace
}  // namespace haldor
