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
