#include "updater/md5_digest.h"

#include <gtest/gtest.h>

#include "runtime/md5_suite.h"
#include "updater/md5_stream.h"
#include "updater/test_folder.h"

namespace haldor {
namespace {

TEST(Md5Digest, MatchesTheReferenceSuite) {
    TestFolder dir;
    for (const auto& [input, digest] : rt::testing::kMd5Suite) {
        dir.Write("f", std::string(input));
        EXPECT_EQ(MD5_CTX::FileDigest(dir / "f"), digest) << "input '" << input << "'";
    }
}

// Bytes fed in pieces hash as one run; a reset starts over.
TEST(Md5Stream, PiecesHashAsOneRunAndResetStartsOver) {
    const std::string text =
        "12345678901234567890123456789012345678901234567890123456789012345678901234567890";
    Md5Stream md5;
    for (std::size_t at = 0; at < text.size(); at += 7)
        ASSERT_TRUE(md5.Update(text.data() + at, std::min<std::size_t>(7, text.size() - at)));
    EXPECT_EQ(md5.Finish(), "57edf4a22be3c955ac49da2e2107b67a");
    md5.Reset();
    md5.Update("abc", 3);
    EXPECT_EQ(md5.Finish(), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(md5.Finish(), "") << "a finished stream gives nothing until it is reset";
}

TEST(Md5Digest, UnreadableFileHasNoDigest) {
    TestFolder dir;
    EXPECT_FALSE(MD5_CTX::FileDigest(dir / "missing"));
    EXPECT_FALSE(MD5_CTX::FileDigest(dir.path()));
}

}  // namespace
}  // namespace haldor
