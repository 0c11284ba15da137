#include "tools/testhttp/server.h"

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <thread>
#include <vector>

#include "tools/testhttp/raw_client.h"

namespace testhttp {
namespace {

const bool curlReady = curl_global_init(CURL_GLOBAL_DEFAULT) == 0;

std::string pattern(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + (i * 7 + i / 26) % 26);
    return s;
}

struct CurlResult {
    CURLcode code = CURLE_OK;
    long status = 0;
    std::string body;
};

size_t appendTo(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

CurlResult curlGet(const std::string& url, const std::vector<std::string>& headers = {},
                   bool follow = false) {
    CurlResult r;
    CURL* curl = curl_easy_init();
    curl_slist* list = nullptr;
    for (const std::string& h : headers) list = curl_slist_append(list, h.c_str());
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendTo);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &r.body);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, follow ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 20L);
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    r.code = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &r.status);
    curl_slist_free_all(list);
    curl_easy_cleanup(curl);
    return r;
}

class ServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(curlReady);
        server.addFile("/ten.bin", "0123456789");
    }
    Server server;
};

TEST_F(ServerTest, ServesAFileWithGetAndHead) {
    std::string big = pattern(300000);
    server.addFile("/big.bin", big);
    CurlResult r = curlGet(server.url("/big.bin"));
    ASSERT_EQ(r.code, CURLE_OK) << curl_easy_strerror(r.code);
    EXPECT_EQ(r.status, 200);
    EXPECT_TRUE(r.body == big);

    RawClient c(server.port());
    c.sendGet("/big.bin", "", "HEAD");
    RawResponse head = c.readResponse(true);
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.headers.get("Content-Length"), std::to_string(big.size()));
    // Nothing but the head was sent: the next answer on the connection starts cleanly.
    c.sendGet("/ten.bin");
    EXPECT_EQ(c.readResponse().body, "0123456789");
}

TEST_F(ServerTest, AnswersRangesLikeARealServer) {
    struct Case {
        const char* range;
        int status;
        const char* contentRange;
        const char* body;
    };
    RawClient c(server.port());
    for (const Case& k : {Case{"bytes=2-5", 206, "bytes 2-5/10", "2345"},
                          Case{"bytes=7-", 206, "bytes 7-9/10", "789"},
                          Case{"bytes=8-100", 206, "bytes 8-9/10", "89"},
                          Case{"bytes=-3", 206, "bytes 7-9/10", "789"},
                          Case{"bytes=10-", 416, "bytes */10", nullptr},
                          Case{"bytes=0-1,4-5", 200, nullptr, "0123456789"},
                          Case{"bytes=5-2", 200, nullptr, "0123456789"}}) {
        c.sendGet("/ten.bin", std::string("Range: ") + k.range + "\r\n");
        RawResponse r = c.readResponse();
        EXPECT_EQ(r.status, k.status) << k.range;
        EXPECT_EQ(r.headers.get("Content-Range"),
                  k.contentRange ? std::optional<std::string>(k.contentRange) : std::nullopt)
            << k.range;
        if (k.body) {
            EXPECT_EQ(r.body, k.body) << k.range;
        }
        EXPECT_EQ(r.headers.get("Accept-Ranges"), "bytes");
    }
    // The updater reads the length with this exact spelling.
    c.sendGet("/ten.bin", "Range: bytes=0-1\r\n");
    EXPECT_NE(c.readResponse().head.find("\r\nContent-Length: 2"), std::string::npos);
}

TEST_F(ServerTest, KeepsConnectionsOpenUnlessAskedToClose) {
    {
        RawClient c(server.port());
        for (int i = 0; i < 3; ++i) {
            c.sendGet("/ten.bin");
            RawResponse r = c.readResponse();
            EXPECT_EQ(r.status, 200);
            EXPECT_FALSE(r.headers.has("Connection"));
        }
        c.sendGet("/missing");
        EXPECT_EQ(c.readResponse().status, 404);
        c.send("POST /ten.bin HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello");
        EXPECT_EQ(c.readResponse().status, 405);
        c.sendGet("/ten.bin", "Connection: close\r\n");
        RawResponse last = c.readResponse();
        EXPECT_EQ(last.body, "0123456789");
        EXPECT_EQ(last.headers.get("Connection"), "close");
        EXPECT_TRUE(c.closedByServer());
    }
    RawClient old(server.port());
    old.send("GET /ten.bin HTTP/1.0\r\n\r\n");
    EXPECT_EQ(old.readResponse().body, "0123456789");
    EXPECT_TRUE(old.closedByServer());

    auto log = server.log().all();
    ASSERT_EQ(log.size(), 7u);
    for (size_t i = 1; i < 6; ++i) EXPECT_EQ(log[i].connection, log[0].connection);
    EXPECT_NE(log[6].connection, log[0].connection);
    EXPECT_EQ(server.log().countFor("/ten.bin"), 6);
}

TEST_F(ServerTest, LogsWhatTheClientSent) {
    CurlResult r = curlGet(server.url("/ten.bin?etag=42&x"),
                           {"Range: bytes=4-", "Cache-Control: no-cache", "User-Agent: probe"});
    EXPECT_EQ(r.body, "456789");
    ASSERT_TRUE(server.log().waitFor(1));
    LoggedRequest e = server.log().all().at(0);
    EXPECT_EQ(e.request.method, "GET");
    EXPECT_EQ(e.request.path, "/ten.bin");
    EXPECT_EQ(e.request.query, "etag=42&x");
    EXPECT_EQ(e.request.headers.get("cache-control"), "no-cache");
    EXPECT_EQ(e.request.headers.get("USER-AGENT"), "probe");
    EXPECT_EQ(e.request.range, (ByteRange{4, std::nullopt}));
    EXPECT_EQ(e.status, 206);
    EXPECT_EQ(e.number, 1);
    server.log().clear();
    EXPECT_EQ(server.log().size(), 0u);
    EXPECT_EQ(server.log().countFor("/ten.bin"), 0);
}

TEST_F(ServerTest, ServesAFolderUnderAPrefixAndKeepsToIt) {
    char tmpl[] = "/tmp/testhttp-folder-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    std::filesystem::path dir = tmpl;
    std::filesystem::create_directories(dir / "root" / "1_0_2" / "sub dir");
    std::ofstream(dir / "root" / "1_0_2" / "sub dir" / "f.txt") << "on disk";
    std::ofstream(dir / "secret.txt") << "outside";
    server.serveFolder("/update/", dir / "root");

    EXPECT_EQ(curlGet(server.url("/update/1_0_2/sub%20dir/f.txt")).body, "on disk");
    RawClient c(server.port());
    c.sendGet("/update/1_0_2/sub%20dir/f.txt", "Range: bytes=3-\r\n");
    EXPECT_EQ(c.readResponse().body, "disk");
    for (const char* path : {"/update/../secret.txt", "/update/%2e%2e/secret.txt",
                             "/update/1_0_2/sub%20dir", "/update/1_0_2/none", "/updatex/f"}) {
        c.sendGet(path);
        EXPECT_EQ(c.readResponse().status, 404) << path;
    }
    // A file in memory wins over the folder, and files can change while serving.
    server.addFile("/update/1_0_2/sub dir/f.txt", "in memory");
    EXPECT_EQ(curlGet(server.url("/update/1_0_2/sub%20dir/f.txt")).body, "in memory");
    EXPECT_TRUE(server.removeFile("/update/1_0_2/sub dir/f.txt"));
    EXPECT_EQ(curlGet(server.url("/update/1_0_2/sub%20dir/f.txt")).body, "on disk");
    std::filesystem::remove_all(dir);
}

TEST_F(ServerTest, RefusesBrokenRequestsAndClosesTheConnection) {
    {
        RawClient c(server.port());
        c.send("NONSENSE\r\n\r\n");
        EXPECT_EQ(c.readResponse().status, 400);
        EXPECT_TRUE(c.closedByServer());
    }
    {
        RawClient c(server.port());
        c.send("GET /ten.bin HTTP/1.1\r\nX-Big: " + std::string(70000, 'a') + "\r\n\r\n");
        EXPECT_EQ(c.readResponse().status, 431);
        EXPECT_TRUE(c.closedByServer());
    }
    EXPECT_EQ(server.log().size(), 0u);
}

TEST_F(ServerTest, SurvivesClientsThatLeaveMidBody) {
    server.addFile("/huge.bin", std::string(8 * 1024 * 1024, 'h'));
    for (int i = 0; i < 3; ++i) {
        RawClient c(server.port());
        c.sendGet("/huge.bin");
        // Reading only the head and leaving is what a client does that only wants the length.
        EXPECT_EQ(c.readResponse(true).status, 200);
    }
    ASSERT_TRUE(server.log().waitFor(3));
    EXPECT_EQ(curlGet(server.url("/ten.bin")).body, "0123456789");
}

TEST_F(ServerTest, FiveParallelRangesRebuildTheFile) {
    const uint64_t size = 1000001;
    std::string file = pattern(size);
    server.addFile("/update/1.0/game.bin", file);
    std::vector<std::string> parts(5);
    std::vector<std::thread> threads;
    uint64_t first = 0;
    for (uint64_t i = 0; i < 5; ++i) {
        uint64_t last = i == 4 ? size - 1 : size * (i + 1) / 5 - 1;
        threads.emplace_back([&, i, first, last] {
            parts[i] =
                curlGet(server.url("/update/1.0/game.bin"),
                        {"Range: bytes=" + std::to_string(first) + "-" + std::to_string(last),
                         "Cache-Control: no-cache"})
                    .body;
        });
        first = last + 1;
    }
    for (std::thread& t : threads) t.join();
    std::string joined;
    for (const std::string& p : parts) joined += p;
    EXPECT_TRUE(joined == file);
    auto log = server.log().forPath("/update/1.0/game.bin");
    ASSERT_EQ(log.size(), 5u);
    for (const LoggedRequest& e : log) EXPECT_EQ(e.status, 206);
}

TEST(ServerPortTest, ListensOnTheAskedPortAndRefusesATakenOne) {
    uint16_t port;
    {
        Server first;
        port = first.port();
        EXPECT_NE(port, 0);
        EXPECT_THROW(Server second(port), std::runtime_error);
    }
    Server again(port);
    again.addFile("/x", "y");
    EXPECT_EQ(curlGet(again.url("/x")).body, "y");
}

}  // namespace
}  // namespace testhttp
