#include <gtest/gtest.h>

#include <chrono>

#include "tools/testhttp/raw_client.h"
#include "tools/testhttp/server.h"

namespace testhttp {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

const std::string kFile = "0123456789abcdefghijklmnopqrstuvwxyz";

class FaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        server.addFile("/f", kFile);
        server.addFile("/other", "other");
    }
    RawResponse get(RawClient& c, const std::string& extra = "") {
        c.sendGet("/f", extra);
        return c.readResponse();
    }
    Server server;
};

TEST_F(FaultTest, AnswersTheGivenStatusAndKeepsTheConnection) {
    RawClient c(server.port());
    for (int status : {404, 500, 502, 503, 504}) {
        server.setFault("/f", Fault::answerStatus(status));
        RawResponse r = get(c);
        EXPECT_EQ(r.status, status);
        EXPECT_TRUE(r.complete);
        EXPECT_NE(r.body, kFile);
    }
    server.clearFaults("/f");
    EXPECT_EQ(get(c).body, kFile);
    auto log = server.log().all();
    EXPECT_EQ(log.at(0).fault, "status 404");
    EXPECT_EQ(log.back().fault, "");
}

TEST_F(FaultTest, RedirectsOnTheSameConnectionOrToAnotherServer) {
    server.setFault("/f", Fault::redirect(302, "/other"));
    RawClient c(server.port());
    RawResponse r = get(c);
    EXPECT_EQ(r.status, 302);
    EXPECT_NE(r.head.find("\r\nLocation: /other"), std::string::npos);
    c.sendGet("/other");
    EXPECT_EQ(c.readResponse().body, "other");

    Server elsewhere;
    elsewhere.addFile("/moved", "moved here");
    server.setFault("/f", Fault::redirect(301, elsewhere.url("/moved")));
    r = get(c);
    EXPECT_EQ(r.status, 301);
    EXPECT_EQ(r.headers.get("Location"), elsewhere.url("/moved"));
    EXPECT_THROW(Fault::redirect(302, "http://192.168.1.1/x"), std::invalid_argument);
}

TEST_F(FaultTest, RawAnswerGoesOutByteForByteAndCloses) {
    const std::string raw = "HTTP/1.1 302 Found\r\nContent-Location: /x\nLocation: /y\r\n\r\nbody";
    server.setFault("/f", Fault::rawAnswer(raw));
    RawClient c(server.port());
    RawResponse r = get(c);
    EXPECT_EQ(r.status, 302);
    EXPECT_EQ(r.head + "\r\n\r\n" + r.body, raw);
    EXPECT_TRUE(r.closed);
    auto log = server.log().all();
    EXPECT_EQ(log.at(0).status, 302);
    EXPECT_EQ(log.at(0).fault, "raw " + escapeBytes(raw));
    EXPECT_EQ(unescapeBytes(escapeBytes(raw)), raw);
}

TEST_F(FaultTest, DropsTheConnectionAfterSomeBytesOfTheRangeThatStartsThere) {
    server.setFault("/f", Fault::dropAfter(10).forRangeStart(4));
    {
        RawClient c(server.port());
        RawResponse r = get(c, "Range: bytes=4-29\r\n");
        EXPECT_EQ(r.status, 206);
        EXPECT_EQ(r.body, kFile.substr(4, 10));
        EXPECT_FALSE(r.complete);
        EXPECT_TRUE(r.closed);
    }
    // The resumed request starts elsewhere and is served whole.
    RawClient c(server.port());
    RawResponse r = get(c, "Range: bytes=14-29\r\n");
    EXPECT_EQ(r.body, kFile.substr(14, 16));
    EXPECT_TRUE(r.complete);
}

TEST_F(FaultTest, StallsUntilTheClientGivesUpOrTheServerStops) {
    auto stalling = std::make_unique<Server>();
    stalling->addFile("/f", kFile);
    stalling->setFault("/f", Fault::stall());
    RawClient quiet(stalling->port());
    quiet.sendGet("/f");
    ASSERT_TRUE(stalling->log().waitFor(1));
    EXPECT_EQ(stalling->log().all().at(0).status, 0);
    EXPECT_TRUE(quiet.staysQuiet(milliseconds(200)));

    stalling->setFault("/f", Fault::slowBody(1));
    RawClient slow(stalling->port());
    slow.sendGet("/f");
    ASSERT_TRUE(stalling->log().waitFor(2));
    stalling.reset();  // must not wait for either client
    EXPECT_TRUE(quiet.closedByServer());
    EXPECT_TRUE(slow.closedByServer());
}

TEST_F(FaultTest, PausesBeforeTheHeaderAndInTheBody) {
    RawClient c(server.port());
    server.setFault("/f", Fault::pauseBeforeHeaders(milliseconds(150)));
    auto start = Clock::now();
    EXPECT_EQ(get(c).body, kFile);
    EXPECT_GE(Clock::now() - start, milliseconds(150));

    server.setFault("/f", Fault::pauseMidBody(5, milliseconds(150)));
    start = Clock::now();
    RawResponse r = get(c);
    EXPECT_EQ(r.body, kFile);
    EXPECT_GE(Clock::now() - start, milliseconds(150));
}

TEST_F(FaultTest, SendsTheHeaderInPieces) {
    RawClient c(server.port());
    server.setFault("/f", Fault::splitHeader(10, milliseconds(20)));
    auto start = Clock::now();
    RawResponse r = get(c);
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.body, kFile);
    // The header is longer than 40 bytes: at least four pauses went by.
    EXPECT_GE(Clock::now() - start, milliseconds(80));
}

TEST_F(FaultTest, SendsTheBodyAtTheGivenRate) {
    server.addFile("/slow", std::string(1000, 's'));
    server.setFault("/slow", Fault::slowBody(2000));
    RawClient c(server.port());
    auto start = Clock::now();
    c.sendGet("/slow");
    EXPECT_EQ(c.readResponse().body, std::string(1000, 's'));
    // 1000 bytes at 2000 bytes/s: five pieces with four waits of 100 ms between them.
    EXPECT_GE(Clock::now() - start, milliseconds(400));
}

TEST_F(FaultTest, AnnouncesAWrongLengthThenCloses) {
    {
        server.setFault("/f", Fault::wrongContentLength(+10));
        RawClient c(server.port());
        RawResponse r = get(c);
        EXPECT_EQ(r.headers.get("Content-Length"), std::to_string(kFile.size() + 10));
        EXPECT_EQ(r.body, kFile);
        EXPECT_FALSE(r.complete);
        EXPECT_TRUE(r.closed);
    }
    server.setFault("/f", Fault::wrongContentLength(-6));
    RawClient c(server.port());
    RawResponse r = get(c);
    EXPECT_EQ(r.body, kFile.substr(0, kFile.size() - 6));
    EXPECT_TRUE(c.closedByServer());
}

TEST_F(FaultTest, EndsABodyWithoutLengthByClosing) {
    server.setFault("/f", Fault::noContentLength());
    RawClient c(server.port());
    RawResponse r = get(c, "Range: bytes=30-\r\n");
    EXPECT_EQ(r.status, 206);
    EXPECT_FALSE(r.headers.has("Content-Length"));
    EXPECT_EQ(r.body, kFile.substr(30));
    EXPECT_TRUE(r.closed);
}

TEST_F(FaultTest, MisanswersRanges) {
    RawClient c(server.port());
    server.setFault("/f", Fault::ignoreRange());
    RawResponse r = get(c, "Range: bytes=2-5\r\n");
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.body, kFile);
    EXPECT_FALSE(r.headers.has("Content-Range"));

    server.setFault("/f", Fault::wrongContentRange(+3));
    r = get(c, "Range: bytes=2-5\r\n");
    EXPECT_EQ(r.status, 206);
    EXPECT_EQ(r.body, "2345");
    EXPECT_EQ(r.headers.get("Content-Range"), "bytes 5-8/36");
}

TEST_F(FaultTest, ServesAnErrorPageAsSuccess) {
    server.setFault("/f", Fault::errorPage());
    RawClient c(server.port());
    RawResponse r = get(c, "Range: bytes=0-3\r\n");
    EXPECT_EQ(r.status, 200);
    EXPECT_NE(r.body.find("<html>"), std::string::npos);
    EXPECT_EQ(r.headers.get("content-type")->rfind("text/html", 0), 0u);
    EXPECT_TRUE(r.complete);
}

TEST_F(FaultTest, PadsTheResponseHeader) {
    server.setFault("/f", Fault::oversizedHeader(2048));
    RawClient c(server.port());
    RawResponse r = get(c);
    EXPECT_GE(r.head.size() + 4, 2048u);
    EXPECT_EQ(r.body, kFile);
}

TEST_F(FaultTest, HitsOnlyTheNthRequestAndFirstMatchingFaultWins) {
    server.setFault("/f", Fault::answerStatus(500).onRequest(2));
    server.addFault("/f", Fault::answerStatus(404).onRequest(2));
    server.addFault("/f", Fault::answerStatus(502).onRequest(3));
    RawClient c(server.port());
    std::vector<int> statuses;
    for (int i = 0; i < 4; ++i) statuses.push_back(get(c).status);
    EXPECT_EQ(statuses, (std::vector<int>{200, 500, 502, 200}));
    auto log = server.log().forPath("/f");
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[1].number, 2);
    EXPECT_EQ(log[1].fault, "status 500 nth=2");
}

TEST_F(FaultTest, BodyFaultsOnAMissingPathAnswer404) {
    server.setFault("/gone", Fault::dropAfter(1));
    RawClient c(server.port());
    c.sendGet("/gone");
    RawResponse r = c.readResponse();
    EXPECT_EQ(r.status, 404);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(server.log().all().at(0).fault, "");
}

}  // namespace
}  // namespace testhttp
