// Copy-data between two real processes: this test and msgloop_peer.
#include <dirent.h>
#include <poll.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/msgloop/test_support.h"

namespace msgloop::test {
namespace {

class TwoProcesses : public LoopTest {
public:
    void SetUp() override {
        LoopTest::SetUp();
        ASSERT_EQ(ml_create_window(proc, this, &self_), ML_OK) << ml_last_error();
        std::string cmdline = std::string(MSGLOOP_PEER) + " serve " + std::to_string(self_);
        ASSERT_EQ(ml_process_start(cmdline.c_str(), &peer_process_), ML_OK) << ml_last_error();
        auto linked = [](void* arg) { return static_cast<TwoProcesses*>(arg)->peer_ != 0 ? 1 : 0; };
        ASSERT_EQ(ml_wait(linked, this, 20000), ML_OK) << "the peer never said hello";
    }
    void TearDown() override {
        if (peer_process_) {
            if (ml_process_wait(peer_process_, 0) != ML_OK) {
                ml_process_terminate(peer_process_, 0);
                ml_process_wait(peer_process_, -1);
            }
            ml_process_close(peer_process_);
        }
        LoopTest::TearDown();
    }

    static intptr_t proc(ml_hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam, void* user) {
        auto* self = static_cast<TwoProcesses*>(user);
        if (msg != ML_WM_COPYDATA) return 0;
        auto* block = reinterpret_cast<const ml_copydata*>(lparam);
        std::string text(static_cast<const char*>(block->ptr), block->size);
        switch (block->data) {
            case 1:
                self->peer_ = static_cast<ml_hwnd>(wparam);
                return 0;
            case 257:
                self->nested_inside_send_ = self->sending_;
                self->nested_text_ = text;
                return 7;
            case 513:
                self->queued_inside_send_ = self->queued_inside_send_ || self->sending_;
                self->queued_.push_back(text);
                return 0;
        }
        return -1;
    }

    int send_text(const std::string& text, intptr_t* result, int timeout_ms = -1,
                  uint64_t data = 257) {
        sending_ = true;
        int status = ml_send_copydata(peer_, self_, data, text.data(),
                                      static_cast<uint32_t>(text.size()), timeout_ms, result);
        sending_ = false;
        return status;
    }

public:
    ml_hwnd self_ = 0;
    ml_hwnd peer_ = 0;
    ml_process* peer_process_ = nullptr;
    bool sending_ = false;
    bool nested_inside_send_ = false;
    std::string nested_text_;
    std::vector<std::string> queued_;
    bool queued_inside_send_ = false;
    size_t queued_wanted_ = 0;
};

// The sockets a process holds, from /proc.
int count_sockets(int pid) {
    std::string folder = "/proc/" + std::to_string(pid) + "/fd";
    DIR* d = opendir(folder.c_str());
    if (!d) return -1;
    int count = 0;
    while (dirent* e = readdir(d)) {
        char target[64] = {};
        std::string link = folder + "/" + e->d_name;
        if (readlink(link.c_str(), target, sizeof target - 1) > 0 &&
            std::string(target).rfind("socket:", 0) == 0) {
            ++count;
        }
    }
    closedir(d);
    return count;
}

TEST_F(TwoProcesses, ANestedCallBackArrivesInsideTheSendAndBothResultsReturn) {
    intptr_t result = 0;
    ASSERT_EQ(send_text("nest", &result), ML_OK) << ml_last_error();
    EXPECT_TRUE(nested_inside_send_);
    EXPECT_EQ(nested_text_, "inner");
    EXPECT_EQ(result, 1007);
    EXPECT_EQ(ml_is_window(peer_), 1);
}

TEST_F(TwoProcesses, QueuedMessagesKeepTheirOrder) {
    std::vector<std::string> sent;
    for (int i = 0; i < 20; ++i) {
        sent.push_back(std::to_string(i * 7));
        intptr_t result = 0;
        ASSERT_EQ(send_text("queue:" + sent.back(), &result, -1, 513), ML_OK) << ml_last_error();
        EXPECT_EQ(result, 1);
    }
    auto all = [](void* arg) {
        return static_cast<TwoProcesses*>(arg)->queued_.size() == 20 ? 1 : 0;
    };
    ASSERT_EQ(ml_wait(all, this, 20000), ML_OK);
    EXPECT_EQ(queued_, sent);
}

TEST_F(TwoProcesses, CallsBothWaysShareTheConnectionThePeerOpened) {
    intptr_t result = 0;
    ASSERT_EQ(send_text("queue:back", &result, -1, 513), ML_OK) << ml_last_error();
    ASSERT_TRUE(pump_until([this] { return queued_.size() == 1; }));
    ASSERT_EQ(send_text("nest", &result), ML_OK) << ml_last_error();
    EXPECT_EQ(result, 1007);
    // Its listener and the one connection it opened for its hello.
    EXPECT_EQ(count_sockets(ml_process_id(peer_process_)), 2);
}

TEST_F(TwoProcesses, ACallSentAfterTheReplyWaitsForTheLoopInsteadOfEnteringTheSend) {
    // The peer answers, then its queued handling sends the text back: the send returns first.
    for (int i = 0; i < 20; ++i) {
        intptr_t result = 0;
        ASSERT_EQ(send_text("queue:" + std::to_string(i), &result, -1, 513), ML_OK)
            << ml_last_error();
        EXPECT_EQ(result, 1);
        size_t want = static_cast<size_t>(i) + 1;
        ASSERT_TRUE(pump_until([&] { return queued_.size() == want; }));
        EXPECT_EQ(queued_.back(), std::to_string(i));
    }
    EXPECT_FALSE(queued_inside_send_);
}

TEST_F(TwoProcesses, ACallReadAheadDoesNotKeepTheTurnFromOtherSources) {
    // The peer answers, then sends the text back at once: that call is often read together with
    // the answer. The turn that handles it must still serve a pipe that is ready all along.
    int pipe_fds[2];
    ASSERT_EQ(pipe(pipe_fds), 0);
    ASSERT_EQ(write(pipe_fds[1], "x", 1), 1);
    int served = 0;
    auto on_ready = [](int, unsigned, void* arg) { ++*static_cast<int*>(arg); };
    uint64_t watch = 0;
    ASSERT_EQ(ml_watch_fd(pipe_fds[0], POLLIN, 0, on_ready, &served, &watch), ML_OK);
    for (size_t i = 0; i < 30; ++i) {
        intptr_t result = 0;
        ASSERT_EQ(send_text("queue:" + std::to_string(i), &result, -1, 513), ML_OK)
            << ml_last_error();
        served = 0;
        ml_pump(1000, nullptr);
        EXPECT_EQ(served, 1) << "exchange " << i;
        // The watch is ready all along, so turns do not wait: ml_wait does.
        queued_wanted_ = i + 1;
        auto back = [](void* arg) {
            auto* self = static_cast<TwoProcesses*>(arg);
            return self->queued_.size() >= self->queued_wanted_ ? 1 : 0;
        };
        ASSERT_EQ(ml_wait(back, this, 20000), ML_OK);
    }
    ml_unwatch_fd(watch);
    close(pipe_fds[0]);
    close(pipe_fds[1]);
}

TEST_F(TwoProcesses, IsWindowTurnsFalseWhenThePeerDestroysItsWindow) {
    intptr_t result = 0;
    ASSERT_EQ(send_text("destroy", &result), ML_OK);
    EXPECT_EQ(result, 5);
    EXPECT_EQ(ml_is_window(peer_), 0);
    EXPECT_EQ(send_text("echo", &result), ML_ERR_NO_WINDOW);
}

TEST_F(TwoProcesses, IsWindowTurnsFalseWhenThePeerExits) {
    intptr_t result = 0;
    ASSERT_EQ(send_text("quit", &result), ML_OK);
    EXPECT_EQ(result, 6);
    ASSERT_EQ(ml_process_wait(peer_process_, 20000), ML_OK);
    int code = -1;
    ASSERT_EQ(ml_process_exit_code(peer_process_, &code), ML_OK);
    EXPECT_EQ(code, 0);
    // The peer left its registry entry behind; its owner is dead all the same.
    EXPECT_EQ(ml_is_window(peer_), 0);
    EXPECT_EQ(send_text("echo", &result), ML_ERR_NO_WINDOW);
}

TEST_F(TwoProcesses, AKilledReceiverFailsTheCallInsteadOfHanging) {
    intptr_t result = 0;
    EXPECT_EQ(send_text("die", &result, 60000), ML_ERR_HANGUP) << ml_last_error();
    ASSERT_EQ(ml_process_wait(peer_process_, 20000), ML_OK);
    EXPECT_EQ(ml_is_window(peer_), 0);
}

TEST_F(TwoProcesses, AStoppedReceiverFailsAtTheDeadlineAndCanBeTerminated) {
    intptr_t result = 0;
    EXPECT_EQ(send_text("stop", &result, 200), ML_ERR_TIMEOUT);
    ASSERT_EQ(ml_process_terminate(peer_process_, 9), ML_OK);
    ASSERT_EQ(ml_process_wait(peer_process_, 20000), ML_OK);
    int code = 0;
    ASSERT_EQ(ml_process_exit_code(peer_process_, &code), ML_OK);
    EXPECT_EQ(code, 9);
}

TEST_F(TwoProcesses, ALateReplyIsDroppedAndTheNextCallGetsItsOwnAnswer) {
    intptr_t result = 0;
    EXPECT_EQ(send_text("slow", &result, 50), ML_ERR_TIMEOUT);
    ASSERT_EQ(send_text("twelve bytes", &result), ML_OK) << ml_last_error();
    EXPECT_EQ(result, 12);
}

}  // namespace
}  // namespace msgloop::test
