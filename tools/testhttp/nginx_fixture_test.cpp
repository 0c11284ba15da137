#include "tools/testhttp/nginx_fixture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "tools/testhttp/raw_client.h"
#include "tools/testhttp/server.h"

namespace testhttp {
namespace {

class NginxFixtureTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (auto why = NginxFixture::unavailable()) GTEST_SKIP() << *why;
        char tmpl[] = "/tmp/testhttp-nginx-root-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        root = tmpl;
        std::filesystem::create_directories(root / "update" / "1_0_2");
        for (size_t i = 0; i < 20000; ++i) content += static_cast<char>('A' + (i * 31) % 57);
        std::ofstream(root / "update" / "1_0_2" / "game.bin", std::ios::binary) << content;
    }
    void TearDown() override {
        if (!root.empty()) std::filesystem::remove_all(root);
    }
    std::filesystem::path root;
    std::string content;
};

TEST_F(NginxFixtureTest, ServesARangeAndStopsCleanly) {
    std::filesystem::path dir;
    {
        NginxFixture nginx({root, std::nullopt});
        dir = nginx.dir();
        RawClient c(nginx.port());
        c.sendGet("/update/1_0_2/game.bin", "Range: bytes=100-4099\r\nCache-Control: no-cache\r\n");
        RawResponse r = c.readResponse();
        EXPECT_EQ(r.status, 206) << r.head;
        EXPECT_EQ(r.headers.get("Content-Range"), "bytes 100-4099/20000");
        EXPECT_TRUE(r.body == content.substr(100, 4000));
    }
    EXPECT_FALSE(std::filesystem::exists(dir));
}

TEST_F(NginxFixtureTest, ServesWholeFilesUnderARateLimit) {
    NginxFixture nginx({root, 200000});
    RawClient c(nginx.port());
    c.sendGet("/update/1_0_2/game.bin");
    RawResponse r = c.readResponse();
    EXPECT_EQ(r.status, 200) << nginx.errorLog();
    EXPECT_TRUE(r.body == content);
}

// The test server answers the requests the updater and the download engine send the way nginx
// does: same status, same range and length headers (spelled alike), same bytes.
TEST_F(NginxFixtureTest, TestServerAnswersLikeNginx) {
    NginxFixture nginx({root, std::nullopt});
    Server server;
    server.serveFolder("/", root);
    for (const char* range : {"", "bytes=0-3999", "bytes=16000-19999", "bytes=19990-", "bytes=-10",
                              "bytes=19999-30000", "bytes=20000-"}) {
        std::string extra = *range ? std::string("Range: ") + range + "\r\n" : "";
        RawClient a(nginx.port());
        a.sendGet("/update/1_0_2/game.bin", extra);
        RawResponse want = a.readResponse();
        RawClient b(server.port());
        b.sendGet("/update/1_0_2/game.bin", extra);
        RawResponse got = b.readResponse();
        EXPECT_EQ(got.status, want.status) << range;
        EXPECT_EQ(got.headers.get("Content-Range"), want.headers.get("Content-Range")) << range;
        if (want.status != 416) {
            EXPECT_EQ(got.headers.get("Content-Length"), want.headers.get("Content-Length"))
                << range;
            EXPECT_TRUE(got.body == want.body) << range;
            EXPECT_NE(got.head.find("\r\nContent-Length: "), std::string::npos);
            EXPECT_NE(want.head.find("\r\nContent-Length: "), std::string::npos);
        }
    }
    RawClient a(nginx.port());
    a.sendGet("/update/none.bin");
    RawClient b(server.port());
    b.sendGet("/update/none.bin");
    EXPECT_EQ(b.readResponse().status, a.readResponse().status);
}

}  // namespace
}  // namespace testhttp
