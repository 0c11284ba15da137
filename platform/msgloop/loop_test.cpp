#include "platform/msgloop/loop.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "platform/msgloop/test_support.h"

namespace msgloop::test {
namespace {

using LoopWindows = LoopTest;

TEST_F(LoopWindows, HandlesArePositive32BitAndNeverRepeat) {
    Recorder a, b;
    a.create();
    ml_hwnd first = a.hwnd;
    ASSERT_EQ(ml_destroy_window(first), ML_OK);
    b.create();
    EXPECT_GT(first, 0u);
    EXPECT_LT(b.hwnd, 0x80000000u);
    EXPECT_NE(b.hwnd, first);
    EXPECT_EQ(ml_is_window(first), 0);
    EXPECT_EQ(ml_is_window(b.hwnd), 1);
    EXPECT_EQ(ml_is_window(0), 0);
}

TEST_F(LoopWindows, PostedMessagesArriveInOrderAndSkipDestroyedWindows) {
    Recorder a, b;
    a.create();
    b.create();
    for (int i = 0; i < 5; ++i) ASSERT_EQ(ml_post(a.hwnd, ML_WM_USER, i, 0), ML_OK);
    ASSERT_EQ(ml_post(b.hwnd, ML_WM_USER, 99, 0), ML_OK);
    ASSERT_EQ(ml_post(a.hwnd, ML_WM_USER, 5, 0), ML_OK);
    ASSERT_EQ(ml_destroy_window(b.hwnd), ML_OK);
    ml_pump(0, nullptr);
    ASSERT_EQ(a.messages.size(), 6u);
    for (uintptr_t i = 0; i < 6; ++i) EXPECT_EQ(a.messages[i].wparam, i);
    // b saw its destroy message and nothing after it.
    ASSERT_EQ(b.messages.size(), 1u);
    EXPECT_EQ(b.messages[0].msg, ML_WM_DESTROY);
    EXPECT_EQ(ml_post(b.hwnd, ML_WM_USER, 0, 0), ML_ERR_NO_WINDOW);
}

TEST_F(LoopWindows, SendCallsTheProcedureAndReturnsItsResult) {
    Recorder a;
    a.create();
    a.on_message = [](const Received& r) { return static_cast<intptr_t>(r.wparam * 2); };
    intptr_t result = 0;
    ASSERT_EQ(ml_send(a.hwnd, ML_WM_USER, 21, 0, &result), ML_OK);
    EXPECT_EQ(result, 42);
    EXPECT_EQ(ml_send(a.hwnd + 1000, ML_WM_USER, 0, 0, &result), ML_ERR_NO_WINDOW);
}

TEST_F(LoopWindows, DestroyDuringDispatchDeliversDestroyAfterIt) {
    Recorder a;
    a.create();
    bool alive_inside = true;
    size_t seen_inside = 0;
    a.on_message = [&](const Received& r) {
        if (r.msg == ML_WM_USER) {
            EXPECT_EQ(ml_destroy_window(r.hwnd), ML_OK);
            alive_inside = ml_is_window(r.hwnd) != 0;
            seen_inside = a.messages.size();
            // Gone for everything else already.
            EXPECT_EQ(ml_send(r.hwnd, ML_WM_USER + 1, 0, 0, nullptr), ML_ERR_NO_WINDOW);
        }
        return 0;
    };
    ASSERT_EQ(ml_send(a.hwnd, ML_WM_USER, 0, 0, nullptr), ML_OK);
    EXPECT_FALSE(alive_inside);
    EXPECT_EQ(seen_inside, 1u);
    ASSERT_EQ(a.messages.size(), 2u);
    EXPECT_EQ(a.messages[1].msg, ML_WM_DESTROY);
}

TEST_F(LoopWindows, DefaultProcedureDestroysOnClose) {
    ml_hwnd hwnd = 0;
    auto proc = [](ml_hwnd h, uint32_t msg, uintptr_t wp, intptr_t lp, void*) -> intptr_t {
        return ml_default_proc(h, msg, wp, lp);
    };
    ASSERT_EQ(ml_create_window(proc, nullptr, &hwnd), ML_OK);
    ASSERT_EQ(ml_post(hwnd, ML_WM_CLOSE, 0, 0), ML_OK);
    ml_pump(0, nullptr);
    EXPECT_EQ(ml_is_window(hwnd), 0);
}

using LoopTimers = LoopTest;

TEST_F(LoopTimers, FireRepeatReplaceAndStop) {
    Recorder a;
    a.create();
    ASSERT_EQ(ml_set_timer(a.hwnd, 100, 20000), ML_OK);
    ml_pump(0, nullptr);
    EXPECT_EQ(a.count(ML_WM_TIMER), 0u);
    ml_clock_advance(20000);
    ml_pump(0, nullptr);
    ASSERT_EQ(a.count(ML_WM_TIMER), 1u);
    EXPECT_EQ(a.messages.back().wparam, 100u);
    ml_clock_advance(20000);
    ml_pump(0, nullptr);
    EXPECT_EQ(a.count(ML_WM_TIMER), 2u);

    // Setting the same id again replaces the period.
    ASSERT_EQ(ml_set_timer(a.hwnd, 100, 1000), ML_OK);
    ml_clock_advance(1000);
    ml_pump(0, nullptr);
    EXPECT_EQ(a.count(ML_WM_TIMER), 3u);

    ASSERT_EQ(ml_kill_timer(a.hwnd, 100), ML_OK);
    ml_clock_advance(20000);
    ml_pump(0, nullptr);
    EXPECT_EQ(a.count(ML_WM_TIMER), 3u);
    EXPECT_EQ(ml_kill_timer(a.hwnd, 100), ML_ERR_ARG);
}

TEST_F(LoopTimers, ALateTimerFiresOnce) {
    Recorder a;
    a.create();
    ASSERT_EQ(ml_set_timer(a.hwnd, 1, 1000), ML_OK);
    ml_clock_advance(10500);
    ml_pump(0, nullptr);
    EXPECT_EQ(a.count(ML_WM_TIMER), 1u);
}

TEST_F(LoopTimers, KilledOrDestroyedInTheSameTurnNeverFire) {
    Recorder a, b;
    a.create();
    b.create();
    ASSERT_EQ(ml_set_timer(a.hwnd, 1, 1000), ML_OK);
    ASSERT_EQ(ml_set_timer(a.hwnd, 2, 1000), ML_OK);
    ASSERT_EQ(ml_set_timer(b.hwnd, 3, 1000), ML_OK);
    ml_hwnd b_hwnd = b.hwnd;
    a.on_message = [&](const Received& r) {
        if (r.msg == ML_WM_TIMER && r.wparam == 1) {
            ml_kill_timer(r.hwnd, 2);
            ml_destroy_window(b_hwnd);
        }
        return 0;
    };
    ml_clock_advance(1000);
    ml_pump(0, nullptr);
    EXPECT_EQ(a.count(ML_WM_TIMER), 1u);
    EXPECT_EQ(b.count(ML_WM_TIMER), 0u);
    EXPECT_EQ(ml_set_timer(b_hwnd, 3, 1000), ML_ERR_NO_WINDOW);
}

using LoopRunning = LoopTest;

TEST_F(LoopRunning, NestedRunEndsOnItsOwnQuit) {
    Recorder a;
    a.create();
    int nested_code = -1;
    a.on_message = [&](const Received& r) {
        if (r.msg == ML_WM_USER) {
            ml_post(r.hwnd, ML_WM_USER + 1, 0, 0);
            ml_run(&nested_code);
            ml_post_quit(4);
        } else if (r.msg == ML_WM_USER + 1) {
            ml_post_quit(3);
        }
        return 0;
    };
    ASSERT_EQ(ml_post(a.hwnd, ML_WM_USER, 0, 0), ML_OK);
    int code = -1;
    ASSERT_EQ(ml_run(&code), ML_OK);
    EXPECT_EQ(nested_code, 3);
    EXPECT_EQ(code, 4);
}

TEST_F(LoopRunning, PumpReportsAQuit) {
    ml_post_quit(9);
    int code = 0;
    EXPECT_EQ(ml_pump(0, &code), ML_QUIT);
    EXPECT_EQ(code, 9);
    EXPECT_EQ(ml_pump(0, &code), ML_OK);
}

TEST_F(LoopRunning, TasksRunByDueTimeThenPostingOrder) {
    static std::string order;
    order.clear();
    auto add = [](void* arg) { order += static_cast<const char*>(arg); };
    ASSERT_EQ(ml_post_task(add, const_cast<char*>("c"), 5000), ML_OK);
    ASSERT_EQ(ml_post_task(add, const_cast<char*>("a"), 0), ML_OK);
    ASSERT_EQ(ml_post_task(add, const_cast<char*>("b"), 0), ML_OK);
    ml_pump(0, nullptr);
    EXPECT_EQ(order, "ab");
    ml_clock_advance(5000);
    ml_pump(0, nullptr);
    EXPECT_EQ(order, "abc");
}

TEST_F(LoopRunning, HooksWrapEveryDispatchNested) {
    struct Hooks {
        int depth = 0;
        int max_depth = 0;
        int opened = 0;
    } hooks;
    auto before = [](void* arg) {
        auto* h = static_cast<Hooks*>(arg);
        h->max_depth = std::max(h->max_depth, ++h->depth);
        ++h->opened;
    };
    auto after = [](void* arg) { --static_cast<Hooks*>(arg)->depth; };
    ASSERT_EQ(ml_set_dispatch_hooks(before, after, &hooks), ML_OK);
    Recorder a;
    a.create();
    a.on_message = [](const Received& r) {
        if (r.msg == ML_WM_USER) ml_send(r.hwnd, ML_WM_USER + 1, 0, 0, nullptr);
        return 0;
    };
    ml_post(a.hwnd, ML_WM_USER, 0, 0);
    ml_post_task([](void*) {}, nullptr, 0);
    ml_pump(0, nullptr);
    EXPECT_EQ(hooks.depth, 0);
    EXPECT_EQ(hooks.max_depth, 2);
    EXPECT_EQ(hooks.opened, 3);
    ml_set_dispatch_hooks(nullptr, nullptr, nullptr);
}

TEST_F(LoopRunning, WaitServesOnlyMarkedWatchesAndHoldsPostsBack) {
    int in_wait[2], other[2];
    ASSERT_EQ(pipe2(in_wait, O_CLOEXEC), 0);
    ASSERT_EQ(pipe2(other, O_CLOEXEC), 0);
    struct State {
        bool answered = false;
        bool other_ran = false;
    } state;
    auto on_answer = [](int fd, unsigned, void* arg) {
        char c;
        EXPECT_EQ(read(fd, &c, 1), 1);
        static_cast<State*>(arg)->answered = true;
    };
    auto on_other = [](int fd, unsigned, void* arg) {
        char c;
        EXPECT_EQ(read(fd, &c, 1), 1);
        static_cast<State*>(arg)->other_ran = true;
    };
    uint64_t w1 = 0, w2 = 0;
    ASSERT_EQ(ml_watch_fd(in_wait[0], POLLIN, ML_WATCH_IN_WAITS, on_answer, &state, &w1), ML_OK);
    ASSERT_EQ(ml_watch_fd(other[0], POLLIN, 0, on_other, &state, &w2), ML_OK);
    Recorder a;
    a.create();
    ml_post(a.hwnd, ML_WM_USER, 0, 0);
    ASSERT_EQ(write(other[1], "x", 1), 1);
    ASSERT_EQ(write(in_wait[1], "x", 1), 1);

    auto answered = [](void* arg) { return static_cast<State*>(arg)->answered ? 1 : 0; };
    ASSERT_EQ(ml_wait(answered, &state, 5000), ML_OK);
    EXPECT_FALSE(state.other_ran);
    EXPECT_TRUE(a.messages.empty());

    state.answered = false;
    EXPECT_EQ(ml_wait(answered, &state, 20), ML_ERR_TIMEOUT);

    ml_pump(0, nullptr);
    EXPECT_TRUE(state.other_ran);
    EXPECT_EQ(a.messages.size(), 1u);
    EXPECT_EQ(ml_unwatch_fd(w1), ML_OK);
    EXPECT_EQ(ml_unwatch_fd(w2), ML_OK);
    EXPECT_EQ(ml_unwatch_fd(w2), ML_ERR_ARG);
    for (int fd : {in_wait[0], in_wait[1], other[0], other[1]}) close(fd);
}

using LoopCopyData = LoopTest;

TEST_F(LoopCopyData, ToOwnWindowCallsAtOnceAndRefusesOversizedBlocks) {
    Recorder a;
    a.create();
    std::string seen;
    a.on_message = [&](const Received& r) -> intptr_t {
        auto* block = reinterpret_cast<const ml_copydata*>(r.lparam);
        seen.assign(static_cast<const char*>(block->ptr), block->size);
        return static_cast<intptr_t>(block->data);
    };
    intptr_t result = 0;
    ASSERT_EQ(ml_send_copydata(a.hwnd, 77, 513, "abc", 3, -1, &result), ML_OK);
    EXPECT_EQ(result, 513);
    EXPECT_EQ(seen, "abc");
    EXPECT_EQ(a.messages[0].wparam, 77u);
    std::string big(ML_COPYDATA_MAX + 1, 'x');
    EXPECT_EQ(ml_send_copydata(a.hwnd, 0, 1, big.data(), ML_COPYDATA_MAX + 1, -1, nullptr),
              ML_ERR_TOO_LARGE);
    EXPECT_EQ(ml_send_copydata(a.hwnd + 5000, 0, 1, "x", 1, -1, nullptr), ML_ERR_NO_WINDOW);
}

TEST(LoopInstance, InitIsIdempotentOnItsThreadAndASecondCopyIsRefused) {
    ASSERT_EQ(ml_init(), ML_OK);
    uint64_t id = ml_instance_id();
    EXPECT_NE(id, 0u);
    EXPECT_EQ(ml_init(), ML_OK);
    EXPECT_EQ(ml_instance_id(), id);
    // Another loop object in the same process finds this one's listener live.
    std::unique_ptr<Loop> second;
    EXPECT_EQ(Loop::create(&second), ML_ERR_DUPLICATE);
    EXPECT_EQ(second, nullptr);
    ASSERT_EQ(ml_shutdown(), ML_OK);
    EXPECT_EQ(ml_instance_id(), 0u);
    EXPECT_EQ(ml_create_window(Recorder::proc, nullptr, nullptr), ML_ERR_NOT_STARTED);
}

}  // namespace
}  // namespace msgloop::test
