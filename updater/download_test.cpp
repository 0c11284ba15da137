#include "updater/download.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "tools/testhttp/server.h"
#include "updater/loop_fixture.h"

namespace haldor {
namespace {

using testhttp::Fault;

class DownLoadTest : public LoopTest {
protected:
    bool Fetch(const std::string& address) {
        if (!request.Start(address, &sink)) return false;
        return PumpUntil([this] { return sink.Ended(); });
    }
    testhttp::Server server;
    CDownLoad request;
    RecordingSink sink;
};

TEST_F(DownLoadTest, GetsABodyByItsLengthAndSendsTheExtraHeaders) {
    std::string bytes = Pattern(100000);
    server.addFile("/update/VerAndUrl.xml", bytes);
    request.SetExtraHeaders("User-Agent: AutoUpdate_Quarn\r\nCache-Control: no-cache\r\n");
    ASSERT_TRUE(Fetch(server.url("/update/VerAndUrl.xml")));
    EXPECT_TRUE(sink.fails.empty());
    EXPECT_EQ(sink.stages, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(sink.lengths, (std::vector<std::uint64_t>{bytes.size()}));
    EXPECT_EQ(sink.body, bytes);
    EXPECT_TRUE(request.idle());
    auto logged = server.log().all();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].request.headers.get("User-Agent"), "AutoUpdate_Quarn");
    EXPECT_EQ(logged[0].request.headers.get("Host"), "127.0.0.1");
}

TEST_F(DownLoadTest, EmptyBodyCompletesWithItsHeader) {
    server.addFile("/empty", "");
    ASSERT_TRUE(Fetch(server.url("/empty")));
    EXPECT_TRUE(sink.Completed());
    EXPECT_EQ(sink.body, "");
}

TEST_F(DownLoadTest, StatusOtherThan200Or206FailsOnce) {
    server.addFile("/f", "x");
    server.setFault("/f", Fault::answerStatus(404));
    ASSERT_TRUE(Fetch(server.url("/f")));
    PumpFor(100);
    EXPECT_EQ(sink.fails, (std::vector<int>{0}));
    EXPECT_TRUE(sink.body.empty());
    EXPECT_TRUE(request.idle());
    // The request object can be used again.
    server.clearAllFaults();
    sink = RecordingSink();
    ASSERT_TRUE(Fetch(server.url("/f")));
    EXPECT_EQ(sink.body, "x");
}

TEST_F(DownLoadTest, RedirectToAPathRepeatsTheRequestOnTheSameConnection) {
    server.addFile("/new/file.bin", "moved bytes");
    server.addFile("/old", "old body that is skipped");
    server.setFault("/old", Fault::redirect(302, "/new/file.bin"));
    ASSERT_TRUE(Fetch(server.url("/old")));
    EXPECT_EQ(sink.body, "moved bytes");
    auto logged = server.log().all();
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[1].request.path, "/new/file.bin");
    EXPECT_EQ(logged[0].connection, logged[1].connection);
}

TEST_F(DownLoadTest, RedirectToAnotherHostOpensANewConnection) {
    testhttp::Server other;
    other.addFile("/there", "from the other server");
    server.addFile("/here", "");
    server.setFault("/here", Fault::redirect(301, other.url("/there")));
    ASSERT_TRUE(Fetch(server.url("/here")));
    EXPECT_EQ(sink.body, "from the other server");
    EXPECT_EQ(other.log().size(), 1u);
    EXPECT_EQ(sink.stages.front(), IDownLoadSink::kConnecting);
}

TEST_F(DownLoadTest, RedirectLoopsEndAfterTenRedirects) {
    server.addFile("/loop", "");
    server.setFault("/loop", Fault::redirect(302, "/loop"));
    ASSERT_TRUE(Fetch(server.url("/loop")));
    EXPECT_EQ(sink.fails, (std::vector<int>{0}));
    EXPECT_EQ(server.log().countFor("/loop"), 1 + CDownLoad::kMaxRedirects);
}

TEST_F(DownLoadTest, RedirectTargetsWithControlCharactersFailWithoutARequest) {
    testhttp::Server other;
    other.addFile("/a", "a");
    server.addFile("/r", "");
    for (const std::string& location :
         {std::string("/a HTTP/1.1\nX-Injected: yes\n\nGET /smuggled"), std::string("/a\tb"),
          std::string("/a\x01"), std::string("/a\x7f"), other.url("/a\nX-Injected: yes")}) {
        sink = RecordingSink();
        server.log().clear();
        // The connection stays open: a request the client sent would be seen.
        server.setFault("/r", Fault::redirect(302, location));
        ASSERT_TRUE(Fetch(server.url("/r")));
        EXPECT_EQ(sink.fails, (std::vector<int>{0})) << location;
        EXPECT_EQ(server.log().size(), 1u) << location;
        EXPECT_EQ(other.log().size(), 0u) << location;
    }
}

TEST_F(DownLoadTest, ContentLocationIsNoRedirectTarget) {
    testhttp::Server other;
    other.addFile("/good", "good");
    server.addFile("/r", "");
    server.setFault("/r", Fault::rawAnswer("HTTP/1.1 302 Found\r\nContent-Location: /evil\r\n"
                                           "Location: " +
                                           other.url("/good") + "\r\nContent-Length: 0\r\n\r\n"));
    ASSERT_TRUE(Fetch(server.url("/r")));
    EXPECT_EQ(sink.body, "good");

    sink = RecordingSink();
    server.setFault("/r", Fault::rawAnswer("HTTP/1.1 302 Found\r\nContent-Location: " +
                                           other.url("/good") + "\r\n\r\n"));
    ASSERT_TRUE(Fetch(server.url("/r")));
    EXPECT_EQ(sink.fails, (std::vector<int>{0}));
    EXPECT_EQ(other.log().size(), 1u);
}

TEST_F(DownLoadTest, RedirectWithoutLocationFails) {
    server.addFile("/r", "");
    server.setFault("/r", Fault::answerStatus(302));
    ASSERT_TRUE(Fetch(server.url("/r")));
    EXPECT_EQ(sink.fails, (std::vector<int>{0}));
}

TEST_F(DownLoadTest, HeaderLongerThanItsBufferFails) {
    server.addFile("/big", "body");
    server.setFault("/big", Fault::oversizedHeader(3000));
    ASSERT_TRUE(Fetch(server.url("/big")));
    EXPECT_EQ(sink.fails, (std::vector<int>{0}));
    EXPECT_TRUE(sink.body.empty());
}

TEST_F(DownLoadTest, ConnectionClosedBeforeTheBodyEndsFails) {
    server.addFile("/drop", Pattern(50000));
    server.setFault("/drop", Fault::dropAfter(300));
    ASSERT_TRUE(Fetch(server.url("/drop")));
    EXPECT_EQ(sink.fails, (std::vector<int>{0}));
    EXPECT_EQ(sink.body.size(), 300u);

    sink = RecordingSink();
    server.setFault("/drop", Fault::noContentLength());
    ASSERT_TRUE(Fetch(server.url("/drop")));
    EXPECT_FALSE(sink.Completed()) << "a body without a length never completes";
}

TEST_F(DownLoadTest, RefusedConnectionAndBadAddresses) {
    int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t size = sizeof address;
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(probe);
    ASSERT_TRUE(Fetch("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/x"));
    EXPECT_EQ(sink.fails, (std::vector<int>{1}));

    for (const char* bad : {"ftp://127.0.0.1/x", "not an address", "http://127.0.0.1:0/"}) {
        sink = RecordingSink();
        EXPECT_FALSE(request.Start(bad, &sink)) << bad;
        EXPECT_EQ(sink.fails, (std::vector<int>{0})) << bad;
        EXPECT_TRUE(request.idle());
    }
}

TEST_F(DownLoadTest, StartRefusesWhileARequestRuns) {
    server.addFile("/slow", Pattern(1000));
    server.setFault("/slow", Fault::stall());
    ASSERT_TRUE(request.Start(server.url("/slow"), &sink));
    RecordingSink other;
    EXPECT_FALSE(request.Start(server.url("/slow"), &other));
    EXPECT_TRUE(other.stages.empty() && other.fails.empty());
    request.Reset();
    EXPECT_TRUE(request.idle());
}

}  // namespace
}  // namespace haldor
