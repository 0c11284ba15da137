#include "runtime/http.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>

#include "platform/shared/no_copy.h"
#include "runtime/strings.h"

namespace rt {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A listening TCP socket on 127.0.0.1 with a port of the system's choice.
class LoopbackSocket : private morvick::NoCopy {
public:
    explicit LoopbackSocket(bool listening) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            (listening && listen(fd_, 64) != 0) ||
            getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            throw std::runtime_error("could not open a loopback socket");
        }
        port_ = ntohs(address.sin_port);
    }
    ~LoopbackSocket() { close(fd_); }

    int fd() const { return fd_; }
    int port() const { return port_; }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

private:
    int fd_;
    int port_ = 0;
};

struct Request {
    std::string path;
    std::map<std::string, std::string> headers;  // names in lower case
};

std::string response(int status, const std::string& body, const std::string& extraHeaders = "") {
    return "HTTP/1.1 " + std::to_string(status) +
           " Status\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n" + extraHeaders + "\r\n" + body;
}

std::string chunked(const std::string& body) {
    std::string out = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n";
    for (size_t start = 0; start < body.size(); start += 1000) {
        const std::string piece = body.substr(start, 1000);
        char size[16];
        std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
        out += size + piece + "\r\n";
    }
    return out + "0\r\n\r\n";
}

std::string patternBody(size_t size) {
    std::string body;
    for (size_t i = 0; i < size; ++i) body += static_cast<char>('a' + (i * 31 + i / 97) % 26);
    return body;
}

// A small HTTP/1.1 server on loopback answering each connection on its own thread.
class LoopbackServer {
public:
    explicit LoopbackServer(std::function<std::string(const Request&)> answer)
        : socket_(true), answer_(std::move(answer)), acceptor_([this] { acceptLoop(); }) {}

    ~LoopbackServer() {
        stop_ = true;
        acceptor_.join();
        std::lock_guard lock(mutex_);
        for (auto& worker : workers_) worker.join();
    }

    std::string url(const std::string& path) const { return socket_.url(path); }

private:
    void acceptLoop() {
        while (!stop_) {
            pollfd waiting{socket_.fd(), POLLIN, 0};
            if (poll(&waiting, 1, 20) <= 0) continue;
            const int connection = accept(socket_.fd(), nullptr, nullptr);
            if (connection < 0) continue;
            std::lock_guard lock(mutex_);
            workers_.emplace_back([this, connection] { serve(connection); });
        }
    }

    void serve(int connection) {
        std::string received;
        char buffer[4096];
        while (received.find("\r\n\r\n") == std::string::npos) {
            const ssize_t got = read(connection, buffer, sizeof buffer);
            if (got <= 0) break;
            received.append(buffer, static_cast<size_t>(got));
        }
        Request request;
        const std::vector<std::string> lines = split(received, "\r\n");
        const std::vector<std::string> first = split(lines.at(0), " ");
        if (first.size() > 1) request.path = first[1];
        for (size_t i = 1; i < lines.size(); ++i) {
            const size_t colon = lines[i].find(':');
            if (colon == std::string::npos) continue;
            request.headers[toLower(lines[i].substr(0, colon))] = trim(lines[i].substr(colon + 1));
        }
        const std::string reply = answer_(request);
        for (size_t sent = 0; sent < reply.size();) {
            const ssize_t wrote = write(connection, reply.data() + sent, reply.size() - sent);
            if (wrote <= 0) break;
            sent += static_cast<size_t>(wrote);
        }
        close(connection);
    }

    LoopbackSocket socket_;
    std::function<std::string(const Request&)> answer_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::thread> workers_;
    std::thread acceptor_;
};

const std::string kBig = patternBody(200000);

std::string route(const Request& request) {
    if (request.path == "/text") return response(200, "hello");
    if (request.path == "/big") return response(200, kBig);
    if (request.path == "/chunked") return chunked(kBig);
    if (request.path == "/empty") return response(200, "");
    if (request.path == "/cut") {
        return "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\nConnection: close\r\n\r\nshort";
    }
    if (request.path == "/redirect") return response(302, "moved", "Location: /text\r\n");
    if (request.path == "/overflow") {
        return "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999999\r\n"
               "Connection: close\r\n\r\nbody";
    }
    if (request.path == "/negative") {
        return "HTTP/1.1 200 OK\r\nContent-Length: -5\r\nConnection: close\r\n\r\nbody";
    }
    if (request.path == "/headers") {
        const auto header = [&](const std::string& name) {
            const auto found = request.headers.find(name);
            return found == request.headers.end() ? std::string("-") : found->second;
        };
        return response(206, header("range") + "|" + header("cache-control"));
    }
    return response(404, "<html><body>not here</body></html>");
}

// Records everything a request reports, in order.
struct Events {
    std::vector<std::string> list;

    void attach(Http& http) {
        http.onStatus = [this](int status) { list.push_back("status " + std::to_string(status)); };
        http.onData = [this](const std::string& body) { list.push_back("data " + body); };
        http.onError = [this](const std::string& message) { list.push_back("error " + message); };
    }
};

// Runs the request and answers what it reported, in order.
std::vector<std::string> reported(Http& http) {
    Events events;
    events.attach(http);
    http.request();
    return events.list;
}

class RecordingSink : public HttpSink {
public:
    std::vector<int64_t> prepared;
    std::string bytes;
    bool wroteBeforePrepare = false;

    void prepare(int64_t length) override { prepared.push_back(length); }
    size_t writeBytes(const uint8_t* data, size_t length) override {
        if (prepared.empty()) wroteBeforePrepare = true;
        bytes.append(reinterpret_cast<const char*>(data), length);
        return length;
    }
    void writeByte(uint8_t byte) override { bytes += static_cast<char>(byte); }
};

class HttpTest : public ::testing::Test {
protected:
    LoopbackServer server_{route};
};

TEST_F(HttpTest, TextBodyArrivesAfterTheStatus) {
    Http http(server_.url("/text"));
    EXPECT_THAT(reported(http), ElementsAre("status 200", "data hello"));
}

TEST_F(HttpTest, ExtraHeadersAreSentAndPartialContentIsSuccess) {
    Http http(server_.url("/headers"));
    http.setHeader("Range", "bytes=0-");
    http.setHeader("Cache-Control", "no-cache");
    http.setHeader("range", "bytes=5-");
    EXPECT_THAT(reported(http), ElementsAre("status 206", "data bytes=5-|no-cache"));
    EXPECT_EQ(http.headers().size(), 2u);
}

TEST_F(HttpTest, SinkLearnsAKnownLengthBeforeTheFirstWrite) {
    Http http(server_.url("/big"));
    Events events;
    events.attach(http);
    RecordingSink sink;
    http.request(sink);
    EXPECT_THAT(sink.prepared, ElementsAre(static_cast<int64_t>(kBig.size())));
    EXPECT_FALSE(sink.wroteBeforePrepare);
    EXPECT_EQ(sink.bytes, kBig);
    EXPECT_THAT(events.list, ElementsAre("status 200"));
}

TEST_F(HttpTest, SinkWithoutAKnownLengthIsNotPrepared) {
    Http http(server_.url("/chunked"));
    RecordingSink sink;
    http.request(sink);
    EXPECT_THAT(sink.prepared, IsEmpty());
    EXPECT_EQ(sink.bytes, kBig);
}

TEST_F(HttpTest, AnEmptyBodyPreparesZeroAndWritesNothing) {
    Http http(server_.url("/empty"));
    RecordingSink sink;
    http.request(sink);
    EXPECT_THAT(sink.prepared, ElementsAre(0));
    EXPECT_EQ(sink.bytes, "");
}

TEST_F(HttpTest, AnErrorStatusIsReportedAndItsBodyIsNotDelivered) {
    Http http(server_.url("/missing"));
    EXPECT_THAT(reported(http), ElementsAre("status 404", "error Http Error #404"));

    Events sinkEvents;
    sinkEvents.attach(http);
    RecordingSink sink;
    http.request(sink);
    EXPECT_THAT(sinkEvents.list, ElementsAre("status 404", "error Http Error #404"));
    EXPECT_THAT(sink.prepared, IsEmpty());
    EXPECT_EQ(sink.bytes, "");
}

TEST_F(HttpTest, ABodyCutShortIsAFailureNotData) {
    Http http(server_.url("/cut"));
    std::vector<std::string> errors;
    bool delivered = false;
    http.onData = [&](const std::string&) { delivered = true; };
    http.onError = [&](const std::string& message) { errors.push_back(message); };
    http.request();
    EXPECT_FALSE(delivered);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(startsWith(errors[0], "Transfer failed on 127.0.0.1:")) << errors[0];
}

TEST_F(HttpTest, RedirectsAreFollowed) {
    Http http(server_.url("/redirect"));
    EXPECT_THAT(reported(http), ElementsAre("status 200", "data hello"));
}

TEST(HttpFailureTest, ARefusedConnectionNamesHostAndPort) {
    LoopbackSocket closed(false);
    Http http(closed.url("/a.v"));
    EXPECT_THAT(reported(http), ElementsAre("error Failed to connect on 127.0.0.1:" +
                                            std::to_string(closed.port())));
}

TEST(HttpFailureTest, AServerThatNeverAnswersTimesOutAsAConnectionFailure) {
    LoopbackSocket silent(true);
    Http http(silent.url("/a.v"));
    http.setConnectionTimeout(0.2);
    EXPECT_THAT(reported(http), ElementsAre("error Failed to connect on 127.0.0.1:" +
                                            std::to_string(silent.port())));
}

TEST(HttpFailureTest, UnusableUrlsAreReported) {
    Http http("ftp://127.0.0.1/file");
    EXPECT_THAT(reported(http), ElementsAre("error Invalid URL ftp://127.0.0.1/file"));
}

TEST(HttpFailureTest, WithoutAnErrorHandlerAFailureThrows) {
    LoopbackSocket closed(false);
    Http http(closed.url("/"));
    EXPECT_THROW(http.request(), HttpError);
}

TEST_F(HttpTest, BodiesOverTheCapFailWhetherAnnouncedOrNot) {
    for (const char* path : {"/big", "/chunked"}) {
        for (bool toSink : {false, true}) {
            Http http(server_.url(path));
            http.setBodyCap(static_cast<int64_t>(kBig.size()) - 1);
            Events events;
            events.attach(http);
            RecordingSink sink;
            toSink ? http.request(sink) : http.request();
            ASSERT_FALSE(events.list.empty()) << path;
            EXPECT_NE(events.list.back().find("error Transfer failed on 127.0.0.1:"),
                      std::string::npos)
                << path << ": " << events.list.back();
            EXPECT_NE(events.list.back().find("larger than the cap of 199999 bytes"),
                      std::string::npos)
                << path << ": " << events.list.back();
            EXPECT_LT(sink.bytes.size(), kBig.size()) << path;
        }
    }
    // Exactly the cap is fine.
    Http http(server_.url("/big"));
    http.setBodyCap(static_cast<int64_t>(kBig.size()));
    std::string body;
    http.onData = [&](const std::string& b) { body = b; };
    http.request();
    EXPECT_EQ(body, kBig);
}

TEST_F(HttpTest, ALengthThatIsNoNumberOrOverflowsIsAnError) {
    for (const char* path : {"/overflow", "/negative"}) {
        Http http(server_.url(path));
        Events events;
        events.attach(http);
        RecordingSink sink;
        http.request(sink);
        ASSERT_EQ(events.list.size(), 1u) << path;
        EXPECT_EQ(events.list[0].rfind("error Transfer failed on 127.0.0.1:", 0), 0u)
            << events.list[0];
        EXPECT_TRUE(sink.prepared.empty()) << path;
    }
}

TEST(HttpFailureTest, ABodyTricklingInEndsAtTheDeadline) {
    // Sends the head and one byte of a longer body, then holds the connection until the client
    // gives up: only the overall deadline can end the request, the stall limit is far off.
    LoopbackSocket listening(true);
    std::thread server([&] {
        const int connection = accept(listening.fd(), nullptr, nullptr);
        if (connection < 0) return;
        char buffer[4096];
        std::string received;
        while (received.find("\r\n\r\n") == std::string::npos) {
            const ssize_t got = read(connection, buffer, sizeof buffer);
            if (got <= 0) break;
            received.append(buffer, static_cast<size_t>(got));
        }
        const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nx";
        if (write(connection, head.data(), head.size()) > 0) {
            while (read(connection, buffer, sizeof buffer) > 0) {
            }
        }
        close(connection);
    });
    Http http(listening.url("/versions.txt"));
    http.setConnectionTimeout(3600);
    http.setDeadline(0.5);
    Events events;
    events.attach(http);
    http.request();
    server.join();
    EXPECT_THAT(events.list, ElementsAre("error Failed to connect on 127.0.0.1:" +
                                         std::to_string(listening.port())));
}

TEST_F(HttpTest, AnErrorHandlerMayIssueTheNextRequestAndReplaceItself) {
    Http http(server_.url("/missing"));
    std::vector<std::string> seen;
    http.onData = [&](const std::string& body) { seen.push_back("data " + body); };
    http.onError = [&](const std::string& message) {
        seen.push_back("error " + message);
        http.onError = [&](const std::string& again) { seen.push_back("second " + again); };
        http.url = server_.url("/text");
        http.request();
        seen.push_back("returned");
    };
    http.request();
    EXPECT_THAT(seen, ElementsAre("error Http Error #404", "data hello", "returned"));
}

TEST_F(HttpTest, SinksThatTakeLittleAtATimeStillGetEveryByte) {
    class ByteSink : public HttpSink {
    public:
        std::string bytes;
        void writeByte(uint8_t byte) override { bytes += static_cast<char>(byte); }
    };
    class SmallSink : public RecordingSink {
    public:
        size_t writeBytes(const uint8_t* data, size_t length) override {
            return RecordingSink::writeBytes(data, std::min<size_t>(length, 7));
        }
    };
    Http http(server_.url("/big"));
    ByteSink byteSink;
    http.request(byteSink);
    EXPECT_EQ(byteSink.bytes, kBig);
    SmallSink smallSink;
    http.request(smallSink);
    EXPECT_EQ(smallSink.bytes, kBig);
}

TEST_F(HttpTest, ASinkThatFailsEndsTheRequestWithItsError) {
    class FullDisk : public RecordingSink {
    public:
        size_t writeBytes(const uint8_t*, size_t) override {
            throw std::runtime_error("disk full");
        }
    };
    class Refusing : public RecordingSink {
    public:
        size_t writeBytes(const uint8_t*, size_t) override { return 0; }
    };
    Http http(server_.url("/big"));
    Events events;
    events.attach(http);
    FullDisk full;
    EXPECT_THROW(
        {
            try {
                http.request(full);
            } catch (const std::runtime_error& error) {
                EXPECT_STREQ(error.what(), "disk full");
                throw;
            }
        },
        std::runtime_error);
    Refusing refusing;
    EXPECT_THROW(http.request(refusing), HttpError);
    EXPECT_THAT(events.list, IsEmpty());
}

TEST_F(HttpTest, ThreadsRunRequestsAtTheSameTime) {
    constexpr int kThreads = 8;
    constexpr int kRounds = 5;
    std::atomic<int> good{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < kRounds; ++round) {
                Http http(server_.url((t + round) % 2 == 0 ? "/text" : "/big"));
                http.onError = [](const std::string&) {};
                if ((t + round) % 2 == 0) {
                    http.onData = [&](const std::string& body) {
                        if (body == "hello") ++good;
                    };
                    http.request();
                } else {
                    RecordingSink sink;
                    http.request(sink);
                    if (sink.bytes == kBig) ++good;
                }
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(good.load(), kThreads * kRounds);
}

}  // namespace
}  // namespace rt
