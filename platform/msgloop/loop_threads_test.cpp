#include <atomic>
#include <thread>
#include <vector>

#include "platform/msgloop/test_support.h"

namespace msgloop::test {
namespace {

using LoopThreads = LoopTest;

TEST_F(LoopThreads, PostsFromManyThreadsKeepEachThreadsOrder) {
    constexpr int kThreads = 4;
    constexpr int kEach = 500;
    Recorder a;
    a.create();
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, hwnd = a.hwnd] {
            for (int i = 0; i < kEach; ++i) {
                EXPECT_EQ(ml_post(hwnd, ML_WM_USER, static_cast<uintptr_t>(t), i), ML_OK);
            }
        });
    }
    ASSERT_TRUE(pump_until([&] { return a.messages.size() == kThreads * kEach; }, 1000));
    for (auto& thread : threads) thread.join();
    std::vector<intptr_t> next(kThreads, 0);
    for (const auto& m : a.messages) {
        EXPECT_EQ(m.lparam, next[m.wparam]) << "thread " << m.wparam;
        next[m.wparam] = m.lparam + 1;
    }
}

TEST_F(LoopThreads, TasksFromOtherThreadsRunOnTheLoopThread) {
    struct Count {
        std::atomic<int> on_loop{0};
        std::atomic<int> off_loop{0};
    } count;
    auto task = [](void* arg) {
        auto* c = static_cast<Count*>(arg);
        (ml_is_loop_thread() ? c->on_loop : c->off_loop)++;
    };
    std::thread worker([&] {
        for (int i = 0; i < 50; ++i) EXPECT_EQ(ml_post_task(task, &count, 0), ML_OK);
        EXPECT_EQ(ml_post_task(task, &count, 60000), ML_OK);
    });
    worker.join();
    ASSERT_TRUE(pump_until([&] { return count.on_loop.load() == 50; }));
    ml_clock_advance(60000);
    ASSERT_TRUE(pump_until([&] { return count.on_loop.load() == 51; }));
    EXPECT_EQ(count.off_loop.load(), 0);
}

TEST_F(LoopThreads, ABlockedPumpWakesForAnotherThreadsPostAndQuit) {
    Recorder a;
    a.create();
    std::thread worker([hwnd = a.hwnd] {
        EXPECT_EQ(ml_post(hwnd, ML_WM_USER, 1, 0), ML_OK);
        EXPECT_EQ(ml_post_quit(5), ML_OK);
    });
    int code = 0;
    ASSERT_EQ(ml_run(&code), ML_OK);
    worker.join();
    EXPECT_EQ(code, 5);
    ml_pump(0, nullptr);
    EXPECT_EQ(a.count(ML_WM_USER), 1u);
}

TEST_F(LoopThreads, OtherThreadsMayNotDispatchOrChangeWindows) {
    Recorder a;
    a.create();
    std::thread worker([hwnd = a.hwnd] {
        ml_hwnd other = 0;
        EXPECT_EQ(ml_init(), ML_ERR_THREAD);
        EXPECT_EQ(ml_create_window(Recorder::proc, nullptr, &other), ML_ERR_THREAD);
        EXPECT_EQ(ml_send(hwnd, ML_WM_USER, 0, 0, nullptr), ML_ERR_THREAD);
        EXPECT_EQ(ml_pump(0, nullptr), ML_ERR_THREAD);
        EXPECT_EQ(ml_set_timer(hwnd, 1, 10), ML_ERR_THREAD);
        EXPECT_EQ(ml_is_loop_thread(), 0);
        EXPECT_EQ(ml_is_window(hwnd), 1);
    });
    worker.join();
    EXPECT_TRUE(a.messages.empty());
}

}  // namespace
}  // namespace msgloop::test
