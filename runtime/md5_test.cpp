#include "runtime/md5.h"

#include <gtest/gtest.h>

#include "runtime/file.h"
#include "runtime/io_error.h"
#include "runtime/md5_suite.h"
#include "runtime/test_folder.h"

namespace rt {
namespace {

using testing::TestFolder;

TEST(Md5Test, MatchesTheReferenceVectors) {
    for (const auto& [input, digest] : testing::kMd5Suite) {
        EXPECT_EQ(md5Hex(input), digest) << "input '" << input << "'";
    }
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
