#include "runtime/http_connections.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/http.h"
#include "tools/testhttp/server.h"

namespace rt {
namespace {

std::string get(const std::string& url, HttpConnections* connections) {
    Http http(url);
    http.setConnections(connections);
    std::string body;
    http.onData = [&](const std::string& data) { body = data; };
    http.onError = [&](const std::string& message) { body = "error " + message; };
    http.request();
    return body;
}

TEST(HttpConnectionsTest, RequestsSharingConnectionsReuseOneAndOthersOpenTheirOwn) {
    testhttp::Server server;
    server.addFile("/a", "A");
    server.addFile("/b", "B");
    HttpConnections connections;
    EXPECT_EQ(get(server.url("/a"), &connections), "A");
    EXPECT_EQ(get(server.url("/b"), &connections), "B");
    EXPECT_EQ(get(server.url("/a"), nullptr), "A");
    EXPECT_EQ(get(server.url("/missing"), &connections), "error Http Error #404");
    EXPECT_EQ(get(server.url("/b"), &connections), "B");
    std::vector<testhttp::LoggedRequest> log = server.log().all();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0].connection, log[1].connection);
    EXPECT_NE(log[2].connection, log[0].connection);
    EXPECT_EQ(log[3].connection, log[0].connection);
    EXPECT_EQ(log[4].connection, log[0].connection);
}

TEST(HttpConnectionsTest, AConnectionTheServerClosedIsReplacedByANewOne) {
    HttpConnections connections;
    std::string first;
    {
        testhttp::Server server;
        server.addFile("/a", "A");
        first = server.url("/a");
        EXPECT_EQ(get(first, &connections), "A");
    }
    testhttp::Server other;
    other.addFile("/a", "other");
    EXPECT_EQ(get(other.url("/a"), &connections), "other");
    EXPECT_EQ(get(first, &connections).rfind("error Failed to connect on", 0), 0u);
}

}  // namespace
}  // namespace rt
