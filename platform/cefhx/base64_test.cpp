#include "platform/cefhx/base64.h"

#include <gtest/gtest.h>

namespace cefhx {
namespace {

TEST(Base64, EncodesWithPaddingAndDecodesBack) {
    EXPECT_EQ(base64Encode("", 0), "");
    EXPECT_EQ(base64Encode("f", 1), "Zg==");
    EXPECT_EQ(base64Encode("fo", 2), "Zm8=");
    EXPECT_EQ(base64Encode("foo", 3), "Zm9v");
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
    for (size_t n = 0; n <= bytes.size(); n += 37) {
        const std::string part = bytes.substr(0, n);
        EXPECT_EQ(base64Decode(base64Encode(part.data(), part.size())), part) << n << " bytes";
    }
}

TEST(Base64, RefusesWhatIsNotBase64) {
    EXPECT_FALSE(base64Decode("Zm9v!"));
    EXPECT_FALSE(base64Decode("Z"));
    EXPECT_FALSE(base64Decode("Zg==="));
}

}  // namespace
}  // namespace cefhx
