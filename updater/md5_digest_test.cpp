#include "updater/md5_digest.h"

#include <gtest/gtest.h>

#include "updater/test_folder.h"

namespace haldor {
namespace {

// Test suite of RFC 1321, appendix A.5.
TEST(Md5Digest, MatchesTheReferenceSuite) {
    TestFolder dir;
    const std::pair<const char*, const char*> cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [input, digest] : cases) {
        dir.Write("f", input);
        EXPECT_EQ(MD5_CTX::FileDigest(dir / "f"), digest) << "input '" << input << "'";
    }
}

TEST(Md5Digest, UnreadableFileHasNoDigest) {
    TestFolder dir;
    EXPECT_FALSE(MD5_CTX::FileDigest(dir / "missing"));
    EXPECT_FALSE(MD5_CTX::FileDigest(dir.path()));
}

}  // namespace
}  // namespace haldor
