#include "bench/support/beacon_listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

namespace bench {
namespace {

TEST(ParseBeaconTest, NameAndNumberOrNothing) {
    auto fcp = parseBeacon("GET /fcp?1796819255085.4 HTTP/1.1");
    ASSERT_TRUE(fcp);
    EXPECT_EQ(fcp->first, "fcp");
    EXPECT_DOUBLE_EQ(fcp->second, 1796819255085.4);
    for (const char* bad : {"POST /fcp?1 HTTP/1.1", "GET /fcp HTTP/1.1", "GET /?1 HTTP/1.1",
                            "GET /fcp?1x HTTP/1.1", "GET /fcp? HTTP/1.1", "GET /f/../cp?1 HTTP/1.1",
                            "GET /fcp?nan HTTP/1.1", "GET /fcp?1", "GET /a HTTP/1.1?1"}) {
        EXPECT_FALSE(parseBeacon(bad)) << bad;
    }
}

// Sends a request head on a fresh connection and answers the listener's reply.
std::string request(int port, const std::string& head) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(send(s, head.data(), head.size(), 0), static_cast<ssize_t>(head.size()));
    std::string reply;
    char buffer[256];
    ssize_t n = 0;
    while ((n = recv(s, buffer, sizeof buffer, 0)) > 0)
        reply.append(buffer, static_cast<size_t>(n));
    close(s);
    return reply;
}

TEST(BeaconListenerTest, KeepsEachReportUntilTakenAndAnswersEveryRequest) {
    BeaconListener listener;
    EXPECT_NE(request(listener.port(), "GET /fcp?12.5 HTTP/1.1\r\nHost: x\r\n\r\n")
                  .find("204 No Content"),
              std::string::npos);
    EXPECT_NE(request(listener.port(), "garbage\r\n\r\n").find("204"), std::string::npos);
    request(listener.port(), "GET /fcp?13 HTTP/1.1\r\n\r\n");
    const auto first = listener.take("fcp", 10000);
    const auto second = listener.take("fcp", 10000);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(*first + *second, 25.5);
    EXPECT_FALSE(listener.take("fcp", 0)) << "each report is taken once";
    EXPECT_FALSE(listener.take("other", 0));
}

}  // namespace
}  // namespace bench
