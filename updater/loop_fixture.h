#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/msgloop/msgloop.h"
#include "updater/download.h"

namespace haldor {

// A test that runs the message loop on its own thread.
class LoopTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Pumps the loop until `done` holds; false when it still does not after 20 seconds.
    bool PumpUntil(const std::function<bool()>& done);
    // Pumps the loop for a while, for checks that nothing more happens.
    void PumpFor(int ms);
};

// A window that records the transfer messages it gets.
class Receiver {
public:
    struct Message {
        std::uint32_t msg;
        std::uint32_t kind;
        std::uint32_t value;
        std::uint64_t id;
    };
    Receiver();
    ~Receiver();
    ml_hwnd hwnd() const { return hwnd_; }
    const std::vector<Message>& messages() const { return messages_; }
    int DoneCount() const;
    // The result of the first WM_TRANSFER_DONE, or -1.
    int Result() const;
    std::uint64_t ProgressBytes() const;

private:
    static intptr_t Procedure(ml_hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam, void* user);
    ml_hwnd hwnd_ = 0;
    std::vector<Message> messages_;
};

// A download sink that records what it is told.
class RecordingSink : public IDownLoadSink {
public:
    void OnFail(int code) override { fails.push_back(code); }
    void OnComplete(int stage) override { stages.push_back(stage); }
    void OnData(const char* bytes, std::size_t length) override { body.append(bytes, length); }
    void OnHeader(std::uint64_t content_length, const CHeadTranslate& header) override {
        lengths.push_back(content_length);
        statuses.push_back(header.StatusCode());
    }
    bool Ended() const { return !fails.empty() || Completed(); }
    bool Completed() const {
        return !stages.empty() && stages.back() == IDownLoadSink::kBodyComplete;
    }

    std::vector<int> fails;
    std::vector<int> stages;
    std::vector<std::uint64_t> lengths;
    std::vector<int> statuses;
    std::string body;
};

// Bytes that differ from position to position.
std::string Pattern(std::size_t length);

}  // namespace haldor
