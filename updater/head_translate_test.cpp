#include "updater/head_translate.h"

#include <gtest/gtest.h>

namespace haldor {
namespace {

CHeadTranslate Header(const std::string& text) {
    CHeadTranslate h;
    h.Set(text);
    return h;
}

TEST(HeadTranslate, StatusAndContentLength) {
    auto h = Header("HTTP/1.1 206 Partial Content\r\nContent-Length: 5000000000\r\n\r\n");
    EXPECT_EQ(h.StatusCode(), 206);
    EXPECT_TRUE(h.HasContentLength());
    EXPECT_EQ(h.ContentLength(), 5000000000ull);
}

TEST(HeadTranslate, ContentLengthIsMatchedWithCaseAtTheStartOfALine) {
    EXPECT_FALSE(Header("HTTP/1.1 200 OK\r\ncontent-length: 5\r\n\r\n").HasContentLength());
    EXPECT_EQ(Header("HTTP/1.1 200 OK\r\nX-Content-Length: 5\r\n\r\n").ContentLength(), 0u);
    EXPECT_EQ(Header("HTTP/1.1 200 OK\r\nContent-Length: x\r\n\r\n").ContentLength(), 0u);
}

TEST(HeadTranslate, BadStatusLines) {
    EXPECT_EQ(Header("garbage\r\n\r\n").StatusCode(), -1);
    EXPECT_EQ(Header("HTTP/1.1 abc\r\n\r\n").StatusCode(), -1);
    EXPECT_EQ(Header("HTTP/1.1 99999999999999 x\r\n\r\n").StatusCode(), -1);
}

TEST(HeadTranslate, LocationRunsToTheCarriageReturn) {
    auto h = Header("HTTP/1.1 302 Found\r\nLocation: /other/file.bin\r\nServer: x\r\n\r\n");
    EXPECT_EQ(h.Location(), "/other/file.bin");
    EXPECT_FALSE(Header("HTTP/1.1 302 Found\r\nlocation: /x\r\n\r\n").Location());
}

TEST(HeadTranslate, LocationIsAWholeFieldNameAtALineStartAndKeepsABareLineFeed) {
    EXPECT_FALSE(Header("HTTP/1.1 302 Found\r\nContent-Location: /evil\r\n\r\n").Location());
    EXPECT_EQ(Header("HTTP/1.1 302 Found\r\nContent-Location: /evil\r\nLocation: /good\r\n\r\n")
                  .Location(),
              "/good");
    EXPECT_FALSE(Header("HTTP/1.1 302 Found\r\nX: a\nLocation: /evil\r\n\r\n").Location());
    // Everything up to the line's CR LF belongs to the value; the client refuses it.
    EXPECT_EQ(Header("HTTP/1.1 302 Found\r\nLocation: /a\nGET /b\rX\r\n\r\n").Location(),
              "/a\nGET /b\rX");
}

TEST(HeadTranslate, NegativeOrOverflowingLengthsAreNoLength) {
    for (const char* value :
         {"-1", "18446744073709551616", "99999999999999999999", "+5", "5 ", " 5", "0x10"}) {
        auto h = Header(std::string("HTTP/1.1 200 OK\r\nContent-Length: ") + value + "\r\n\r\n");
        EXPECT_FALSE(h.HasContentLength()) << value;
        EXPECT_EQ(h.ContentLength(), 0u) << value;
    }
    EXPECT_EQ(
        Header("HTTP/1.1 200 OK\r\nContent-Length: 18446744073709551615\r\n\r\n").ContentLength(),
        18446744073709551615ull);
    EXPECT_FALSE(
        Header("HTTP/1.1 206 P\r\nContent-Range: bytes 0-99999999999999999999/1\r\n\r\n").Range());
}

TEST(HeadTranslate, ContentRange) {
    auto r = Header("HTTP/1.1 206 P\r\nContent-Range: bytes 10-19/100\r\n\r\n").Range();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->first, 10u);
    EXPECT_EQ(r->last, 19u);
    EXPECT_FALSE(Header("HTTP/1.1 206 P\r\nContent-Range: bytes */100\r\n\r\n").Range());
    EXPECT_FALSE(Header("HTTP/1.1 200 OK\r\n\r\n").Range());
}

}  // namespace
}  // namespace haldor
