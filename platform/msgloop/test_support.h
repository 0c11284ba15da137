// Shared by the message-loop tests: a loop per test and a recording window.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/msgloop/msgloop.h"
#include "platform/shared/no_copy.h"

namespace msgloop::test {

struct Received {
    ml_hwnd hwnd;
    uint32_t msg;
    uintptr_t wparam;
    intptr_t lparam;
};

// A window that records every message and may react through `on_message`.
struct Recorder : private morvick::NoCopy {
    ml_hwnd hwnd = 0;
    std::vector<Received> messages;
    std::function<intptr_t(const Received&)> on_message;

    Recorder() = default;
    ~Recorder() {
        on_message = nullptr;
        if (hwnd && ml_is_loop_thread()) ml_destroy_window(hwnd);
    }

    static intptr_t proc(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam,
                         void* user) {
        auto* self = static_cast<Recorder*>(user);
        Received r{hwnd, msg, wparam, lparam};
        self->messages.push_back(r);
        return self->on_message ? self->on_message(r) : 0;
    }
    void create() { ASSERT_EQ(ml_create_window(proc, this, &hwnd), ML_OK) << ml_last_error(); }
    size_t count(uint32_t msg) const {
        size_t n = 0;
        for (const auto& m : messages) n += m.msg == msg;
        return n;
    }
};

class LoopTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(ml_init(), ML_OK) << ml_last_error(); }
    void TearDown() override { EXPECT_EQ(ml_shutdown(), ML_OK); }
};

// Pumps until `done` holds, at most `turns` turns of up to 100 ms each.
inline bool pump_until(const std::function<bool()>& done, int turns = 100) {
    for (int i = 0; i < turns && !done(); ++i) ml_pump(100, nullptr);
    return done();
}

}  // namespace msgloop::test
