#include "updater/response_splitter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace haldor {
namespace {

// Records what the splitter finds; a redirect head makes it skip the redirect's body and wait
// for the next response, as the client does.
class Recorder : public IResponseSink {
public:
    explicit Recorder(ResponseSplitter* splitter = nullptr) : splitter_(splitter) {}
    void OnHeader(const char* header, std::size_t length, int status) override {
        heads.emplace_back(header, length);
        statuses.push_back(status);
        if (splitter_ && status == 302) {
            splitter_->Discard(4);
            splitter_->NextResponse();
        }
    }
    void OnData(const char* bytes, std::size_t length) override { body.append(bytes, length); }

    void Attach(ResponseSplitter* splitter) { splitter_ = splitter; }
    std::vector<std::string> heads;
    std::vector<int> statuses;
    std::string body;

private:
    ResponseSplitter* splitter_;
};

TEST(ResponseSplitter, EveryWayOfCuttingTheBytesGivesTheSameResponses) {
    const std::string head1 = "HTTP/1.1 302 Found\r\nLocation: /b\r\nContent-Length: 4\r\n\r\n";
    const std::string head2 = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n";
    const std::string stream = head1 + "skip" + head2 + "hello";
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        for (std::size_t piece : {std::size_t{1}, std::size_t{3}, stream.size()}) {
            Recorder recorder;
            ResponseSplitter splitter(&recorder);
            recorder.Attach(&splitter);
            ASSERT_TRUE(splitter.Feed(stream.data(), cut));
            for (std::size_t at = cut; at < stream.size(); at += piece)
                ASSERT_TRUE(splitter.Feed(stream.data() + at, std::min(piece, stream.size() - at)));
            EXPECT_EQ(recorder.heads, (std::vector<std::string>{head1, head2})) << cut;
            EXPECT_EQ(recorder.statuses, (std::vector<int>{302, 200}));
            EXPECT_EQ(recorder.body, "hello") << cut << "/" << piece;
        }
    }
}

TEST(ResponseSplitter, AHeadLongerThanItsBufferFailsAndOneThatFillsItIsRead) {
    Recorder recorder;
    ResponseSplitter splitter(&recorder);
    std::string long_head =
        "HTTP/1.1 200 OK\r\nX: " + std::string(ResponseSplitter::kHeaderSize, 'x');
    EXPECT_FALSE(splitter.Feed(long_head.data(), long_head.size()));
    EXPECT_TRUE(recorder.heads.empty());

    splitter.Reset();
    const std::string exact =
        "HTTP/1.1 200 OK\r\nX: " + std::string(ResponseSplitter::kHeaderSize - 24, 'x') +
        "\r\n\r\n";
    ASSERT_EQ(exact.size(), ResponseSplitter::kHeaderSize);
    EXPECT_TRUE(splitter.Feed(exact.data(), exact.size()));
    EXPECT_EQ(recorder.heads.size(), 1u);
}

}  // namespace
}  // namespace haldor
