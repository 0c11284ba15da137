#include "tools/testhttp/request.h"

#include <gtest/gtest.h>

namespace testhttp {
namespace {

TEST(RequestTest, SplitsTargetIntoDecodedPathAndRawQuery) {
    Request r = parseRequestHead(
        "GET /update/1_0_2/dir%20a/f.bin?etag=1%202 HTTP/1.1\r\nHost: 127.0.0.1\r\n");
    EXPECT_EQ(r.method, "GET");
    EXPECT_EQ(r.target, "/update/1_0_2/dir%20a/f.bin?etag=1%202");
    EXPECT_EQ(r.path, "/update/1_0_2/dir a/f.bin");
    EXPECT_EQ(r.query, "etag=1%202");
    EXPECT_EQ(parseRequestHead("GET http://127.0.0.1:80/a?b HTTP/1.1").path, "/a");
}

TEST(RequestTest, LooksUpHeadersWithoutRegardToCase) {
    Request r = parseRequestHead(
        "GET / HTTP/1.1\r\nHost: x\r\nrange: bytes=2-3\r\nCACHE-CONTROL:no-cache\r\n"
        "X-Twice: 1\r\nx-twice: 2\r\n");
    EXPECT_EQ(r.headers.get("Cache-Control"), "no-cache");
    EXPECT_EQ(r.headers.all("X-Twice"), (std::vector<std::string>{"1", "2"}));
    EXPECT_FALSE(r.headers.has("Accept"));
    EXPECT_EQ(r.range, (ByteRange{2, 3}));
}

TEST(RequestTest, KeepAliveFollowsVersionAndConnectionHeader) {
    EXPECT_TRUE(parseRequestHead("GET / HTTP/1.1").keepAlive());
    EXPECT_FALSE(parseRequestHead("GET / HTTP/1.1\r\nConnection: Close").keepAlive());
    EXPECT_FALSE(parseRequestHead("GET / HTTP/1.0").keepAlive());
    EXPECT_TRUE(parseRequestHead("GET / HTTP/1.0\r\nConnection: Keep-Alive").keepAlive());
}

TEST(RequestTest, RefusesMalformedHeads) {
    struct Case {
        const char* head;
        int status;
    };
    for (const Case& c :
         {Case{"GET /", 400}, Case{"GET  / HTTP/1.1", 400}, Case{"GET / HTTP/2.0", 505},
          Case{"GET x HTTP/1.1", 400}, Case{"GET /%4 HTTP/1.1", 400},
          Case{"GET /%00 HTTP/1.1", 400}, Case{"GET / HTTP/1.1\r\nNoColon", 400},
          Case{"GET / HTTP/1.1\r\nName : v", 400}}) {
        try {
            parseRequestHead(c.head);
            ADD_FAILURE() << "accepted: " << c.head;
        } catch (const BadRequest& e) {
            EXPECT_EQ(e.status(), c.status) << c.head;
        }
    }
}

}  // namespace
}  // namespace testhttp
