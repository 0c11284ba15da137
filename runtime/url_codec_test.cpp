#include "runtime/url_codec.h"

#include <gtest/gtest.h>

namespace rt {
namespace {

TEST(UrlCodecTest, EncodesEverythingButLettersDigitsDashUnderscoreAndDot) {
    EXPECT_EQ(urlEncode("Az09-_."), "Az09-_.");
    EXPECT_EQ(urlEncode("a b"), "a%20b");
    EXPECT_EQ(urlEncode("C:\\Games\\(x86)"), "C%3A%5CGames%5C%28x86%29");
    EXPECT_EQ(urlEncode("~*'!+/?&="), "%7E%2A%27%21%2B%2F%3F%26%3D");
    EXPECT_EQ(urlEncode("\xE4\xB8\xAD"), "%E4%B8%AD");
    EXPECT_EQ(urlEncode(std::string("\0\xFF", 2)), "%00%FF");
}

TEST(UrlCodecTest, DecodesPercentSequencesAndPlus) {
    EXPECT_EQ(urlDecode("a+b%20c"), "a b c");
    EXPECT_EQ(urlDecode("%e4%B8%ad"), "\xE4\xB8\xAD");
    EXPECT_EQ(urlDecode("%7B$payment_url%7D"), "{$payment_url}");
}

TEST(UrlCodecTest, LeavesBrokenPercentSequencesAlone) {
    EXPECT_EQ(urlDecode("100%"), "100%");
    EXPECT_EQ(urlDecode("%4"), "%4");
    EXPECT_EQ(urlDecode("%G1x"), "%G1x");
}

TEST(UrlCodecTest, DecodingUndoesEncodingForEveryByte) {
    std::string all;
    for (int value = 0; value < 256; ++value) all += static_cast<char>(value);
    EXPECT_EQ(urlDecode(urlEncode(all)), all);
}

}  // namespace
}  // namespace rt
