// Frames from a raw socket: malformed, oversized, from a sender that has gone, too deeply nested.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/msgloop/registry.h"
#include "platform/msgloop/test_support.h"
#include "platform/msgloop/wire.h"

namespace msgloop::test {
namespace {

class RawFrames : public LoopTest {
protected:
    void SetUp() override {
        LoopTest::SetUp();
        window_.create();
        Owner self;
        ASSERT_TRUE(Owner::of_self(&self));
        Registry registry;
        ASSERT_EQ(registry.open(), ML_OK);
        path_ = registry.listener_path(self);
        fd_ = connect_raw();
        ASSERT_GE(fd_, 0);
    }
    void TearDown() override {
        window_.on_message = nullptr;
        if (fd_ >= 0) close(fd_);
        LoopTest::TearDown();
    }

    int connect_raw() const {
        int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path_.c_str(), sizeof addr.sun_path - 1);
        if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            close(fd);
            return -1;
        }
        return fd;
    }

    std::vector<char> call(uint64_t id, const std::string& payload) const {
        FrameHeader h = make_header(kFrameCall, id);
        h.target = window_.hwnd;
        h.data = 513;
        h.size = static_cast<uint32_t>(payload.size());
        std::vector<char> frame(sizeof h + payload.size());
        std::memcpy(frame.data(), &h, sizeof h);
        std::memcpy(frame.data() + sizeof h, payload.data(), payload.size());
        return frame;
    }

    void send_frame(int fd, const std::vector<char>& frame) const {
        ASSERT_EQ(send(fd, frame.data(), frame.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(frame.size()));
    }

    // Pumps until a reply comes, then returns it.
    FrameHeader reply(int fd) const {
        FrameHeader h{};
        for (int i = 0; i < 100; ++i) {
            if (recv(fd, &h, sizeof h, MSG_DONTWAIT) == static_cast<ssize_t>(sizeof h)) return h;
            ml_pump(50, nullptr);
        }
        ADD_FAILURE() << "no reply";
        return h;
    }

    Recorder window_;
    std::string path_;
    int fd_ = -1;
};

TEST_F(RawFrames, BadFramesAreAnsweredOrDroppedAndNeverDispatched) {
    std::vector<std::string> texts;
    window_.on_message = [&](const Received& r) -> intptr_t {
        auto* block = reinterpret_cast<const ml_copydata*>(r.lparam);
        texts.emplace_back(static_cast<const char*>(block->ptr), block->size);
        return 0;
    };
    auto frame = call(1, "hello");
    reinterpret_cast<FrameHeader*>(frame.data())->size = 99;  // does not match the length
    send_frame(fd_, frame);
    EXPECT_EQ(reply(fd_).status, ML_ERR_PROTOCOL);

    frame = call(2, "x");
    reinterpret_cast<FrameHeader*>(frame.data())->version = 7;
    send_frame(fd_, frame);
    FrameHeader h = reply(fd_);
    EXPECT_EQ(h.call_id, 2u);
    EXPECT_EQ(h.status, ML_ERR_PROTOCOL);

    send_frame(fd_, call(3, std::string(ML_COPYDATA_MAX + 100, 'z')));
    EXPECT_EQ(reply(fd_).status, ML_ERR_TOO_LARGE);

    send_frame(fd_, std::vector<char>{'j', 'u', 'n', 'k'});
    frame = call(4, "abc");
    reinterpret_cast<FrameHeader*>(frame.data())->magic = 0x12345678;
    send_frame(fd_, frame);

    frame = call(5, "good");
    send_frame(fd_, frame);
    h = reply(fd_);
    EXPECT_EQ(h.call_id, 5u);
    EXPECT_EQ(h.status, ML_OK);
    EXPECT_EQ(texts, std::vector<std::string>{"good"});

    auto gone = call(6, "x");
    reinterpret_cast<FrameHeader*>(gone.data())->target = window_.hwnd + 100000;
    send_frame(fd_, gone);
    EXPECT_EQ(reply(fd_).status, ML_ERR_NO_WINDOW);
}

TEST_F(RawFrames, ABurstIsAnsweredInOrderWhateverItsFramesHold) {
    std::vector<std::string> texts;
    window_.on_message = [&](const Received& r) -> intptr_t {
        auto* block = reinterpret_cast<const ml_copydata*>(r.lparam);
        texts.emplace_back(static_cast<const char*>(block->ptr), block->size);
        return 0;
    };
    // Queued before the loop reads: more frames than one read takes, bad ones among them.
    std::vector<int> want;
    for (uint64_t id = 1; id <= 11; ++id) {
        auto frame = call(id, "t" + std::to_string(id));
        int status = ML_OK;
        if (id % 5 == 0) {
            reinterpret_cast<FrameHeader*>(frame.data())->size = 1;
            status = ML_ERR_PROTOCOL;
        } else if (id % 4 == 0) {
            frame = call(id, std::string(ML_COPYDATA_MAX + 1, 'z'));
            status = ML_ERR_TOO_LARGE;
        }
        send_frame(fd_, frame);
        want.push_back(status);
    }
    std::vector<std::string> dispatched;
    for (uint64_t id = 1; id <= 11; ++id) {
        FrameHeader h = reply(fd_);
        EXPECT_EQ(h.call_id, id);
        EXPECT_EQ(h.status, want[id - 1]) << "call " << id;
        if (want[id - 1] == ML_OK) dispatched.push_back("t" + std::to_string(id));
    }
    EXPECT_EQ(texts, dispatched);
}

TEST_F(RawFrames, ACallFromASenderThatHungUpIsNotDispatched) {
    send_frame(fd_, call(1, "orphan"));
    close(fd_);
    fd_ = -1;
    int probe = connect_raw();
    ASSERT_GE(probe, 0);
    send_frame(probe, call(2, "alive"));
    EXPECT_EQ(reply(probe).call_id, 2u);
    close(probe);
    ASSERT_EQ(window_.messages.size(), 1u);
}

TEST_F(RawFrames, NestingIsCappedAndTheRestIsRefused) {
    int depth = 0;
    int max_depth = 0;
    window_.on_message = [&](const Received&) -> intptr_t {
        max_depth = std::max(max_depth, ++depth);
        // Waiting dispatches the next incoming call nested inside this one.
        ml_wait([](void*) { return 0; }, nullptr, 300);
        --depth;
        return 0;
    };
    constexpr int kCalls = 40;
    for (int i = 1; i <= kCalls; ++i) send_frame(fd_, call(static_cast<uint64_t>(i), "n"));
    int ok = 0, refused = 0;
    for (int i = 0; i < kCalls; ++i) {
        FrameHeader h = reply(fd_);
        ok += h.status == ML_OK;
        refused += h.status == ML_ERR_DEPTH;
    }
    EXPECT_EQ(max_depth, 32);
    EXPECT_EQ(ok, 32);
    EXPECT_EQ(refused, kCalls - 32);
}

}  // namespace
}  // namespace msgloop::test
