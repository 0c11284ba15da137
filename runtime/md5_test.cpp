#include "runtime/md5.h"

#include <gtest/gtest.h>

#include "runtime/file.h"
#include "runtime/io_error.h"
#include "runtime/test_folder.h"

namespace rt {
namespace {

using testing::TestFolder;

TEST(Md5Test, MatchesTheReferenceVectors) {
    EXPECT_EQ(md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(md5Hex("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(md5Hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(md5Hex("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    std::string digits;
    for (int i = 0; i < 8; ++i) digits += "1234567890";
    EXPECT_EQ(md5Hex(digits), "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5Test, BytesTextAndFileAgreeAcrossReadBlocks) {
    TestFolder folder;
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 200000; ++i) bytes.push_back(static_cast<uint8_t>(i * 7 + i / 256));
    File::saveBytes(folder / "game.pak", bytes);
    const std::string expected = md5Hex(bytes);
    EXPECT_EQ(md5Hex(std::string(bytes.begin(), bytes.end())), expected);
    EXPECT_EQ(md5File(folder.path() + "\\game.pak"), expected);
}

TEST(Md5Test, ADigestInPiecesIsTheWholesAndStartsAgainAfterItsResult) {
    std::string text = "the quick brown fox jumps over the lazy dog";
    Md5 md5;
    for (size_t at = 0; at < text.size(); at += 5) {
        md5.update(text.data() + at, std::min<size_t>(5, text.size() - at));
    }
    EXPECT_EQ(md5.hex(), md5Hex(text));
    EXPECT_EQ(md5.hex(), md5Hex(""));
}

TEST(Md5Test, AMissingFileIsAnError) {
    TestFolder folder;
    EXPECT_THROW(md5File(folder / "none"), IoError);
    EXPECT_THROW(md5File(folder.path()), IoError);
}

}  // namespace
}  // namespace rt
