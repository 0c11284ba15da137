#include "updater/loop_fixture.h"

#include <chrono>

#include "updater/messages.h"

namespace haldor {

void LoopTest::SetUp() {
    ASSERT_EQ(ml_init(), ML_OK) << ml_last_error();
}

void LoopTest::TearDown() {
    ml_shutdown();
}

bool LoopTest::PumpUntil(const std::function<bool()>& done) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        ml_pump(50, nullptr);
    }
    return true;
}

void LoopTest::PumpFor(int ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) ml_pump(20, nullptr);
}

Receiver::Receiver() {
    ml_create_window(&Receiver::Procedure, this, &hwnd_);
}

Receiver::~Receiver() {
    if (hwnd_) ml_destroy_window(hwnd_);
}

intptr_t Receiver::Procedure(ml_hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam, void* user) {
    if (msg == WM_TRANSFER_PROGRESS || msg == WM_TRANSFER_DONE)
        static_cast<Receiver*>(user)->messages_.push_back(
            {msg, static_cast<std::uint32_t>(wparam >> 16),
             static_cast<std::uint32_t>(wparam & 0xFFFF), static_cast<std::uint64_t>(lparam)});
    return 0;
}

int Receiver::DoneCount() const {
    int count = 0;
    for (const auto& m : messages_) count += m.msg == WM_TRANSFER_DONE;
    return count;
}

int Receiver::Result() const {
    for (const auto& m : messages_)
        if (m.msg == WM_TRANSFER_DONE) return static_cast<int>(m.value);
    return -1;
}

std::uint64_t Receiver::ProgressBytes() const {
    std::uint64_t total = 0;
    for (const auto& m : messages_)
        if (m.msg == WM_TRANSFER_PROGRESS) total += m.value;
    return total;
}

std::string Pattern(std::size_t length) {
    std::string bytes(length, '\0');
    for (std::size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
    return bytes;
}

}  // namespace haldor
