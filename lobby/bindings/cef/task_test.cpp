#include "lobby/bindings/cef/task.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "lobby/bindings/cef/cef_app.h"
#include "lobby/bindings/cef/cef_browser_settings.h"
#include "lobby/bindings/cef/cef_window.h"
#include "lobby/bindings/fake_host.h"
#include "runtime/class_info.h"
#include "runtime/create.h"
#include "runtime/function.h"
#include "runtime/mutex_object.h"

namespace cef {
namespace {

rt::Ref<CefWindow> makeWindow(const char* handle) {
    rt::Ref<CefWindow> w =
        rt::create<CefWindow>("a.html", 1, 1, 0, rt::create<CefBrowserSettings>());
    w->on_create(handle);
    return w;
}

// A task whose call appends its argument to `log`.
rt::Ref<Task> logTask(std::vector<rt::Value>& log, rt::Value arg) {
    return rt::create<Task>(rt::Function::of("log",
                                             [&log](std::span<const rt::Value> args) {
                                                 log.push_back(args[0]);
                                                 return rt::Value();
                                             }),
                            arg);
}

rt::Value onTask(const rt::Ref<CefWindow>& w, rt::Value delay) {
    return rt::Value(w).callMember("onBrowserEvent", {"on_task", delay});
}

TEST(TaskTest, TasksOfOneWindowAndDelayRunInTheOrderOfTheirEvents) {
    bindings::FakeHost host;
    rt::Ref<CefWindow> w = makeWindow("w");
    std::vector<rt::Value> log;
    rt::Ref<Task> first = logTask(log, "first");
    rt::Ref<Task> second = logTask(log, "second");
    EXPECT_EQ(Task::tasks->size(), 2);
    rt::Value(w).callMember("runTask", {first});
    w->runTask(second, 0);
    auto posts = host.calls("cef_app_posttask");
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_EQ(posts[0].args, (std::vector<rt::Value>{"w", 0}));
    EXPECT_EQ(first->window, w);

    onTask(w, posts[0].args[1]);
    onTask(w, posts[1].args[1]);
    EXPECT_EQ(log, (std::vector<rt::Value>{"first", "second"}));
    EXPECT_EQ(Task::tasks->size(), 0);
    onTask(w, 0);
    EXPECT_EQ(log.size(), 2u);
}

TEST(TaskTest, AnEventTakesOnlyATaskOfItsWindowAndDelay) {
    bindings::FakeHost host;
    rt::Ref<CefWindow> a = makeWindow("a");
    rt::Ref<CefWindow> b = makeWindow("b");
    std::vector<rt::Value> log;
    rt::Ref<Task> t = logTask(log, 1);
    a->runTask(t, 5);
    onTask(b, 5);
    onTask(a, 0);
    onTask(a, "5");
    EXPECT_TRUE(log.empty());
    onTask(a, 5.0);
    EXPECT_EQ(log, std::vector<rt::Value>{1});
}

TEST(TaskTest, ATaskWithoutACallIsTakenAndNothingRuns) {
    bindings::FakeHost host;
    rt::Ref<CefWindow> w = makeWindow("w");
    rt::Ref<Task> t = rt::create<Task>(rt::Value(), 1);
    w->runTask(t, 0);
    onTask(w, nullptr);
    EXPECT_EQ(Task::tasks->size(), 0);
}

TEST(TaskTest, NothingIsPostedOrRunAfterQuit) {
    bindings::FakeHost host;
    rt::Ref<CefWindow> w = makeWindow("w");
    std::vector<rt::Value> log;
    rt::Ref<Task> posted = logTask(log, "posted");
    w->runTask(posted, 0);
    CefApp::quit();
    rt::Ref<Task> late = logTask(log, "late");
    w->runTask(late, 0);
    EXPECT_EQ(host.count("cef_app_posttask"), 1);
    onTask(w, 0);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(Task::tasks->size(), 2);
    EXPECT_FALSE(late->window);
}

TEST(TaskTest, AWindowBeingDestroyedRefusesTasks) {
    bindings::FakeHost host;
    rt::Ref<CefWindow> w = makeWindow("w");
    w->destroy();
    std::vector<rt::Value> log;
    w->runTask(logTask(log, 1), 0);
    EXPECT_EQ(host.count("cef_app_posttask"), 0);
    EXPECT_EQ(Task::tasks->size(), 1);
}

// Workers make and post tasks while the main thread delivers the host's "on_task" events, as
// the browser host does from its message loop.
TEST(TaskTest, TasksPostedOnWorkerThreadsRunOnTheMainThread) {
    bindings::FakeHost host;
    std::mutex mutex;
    std::condition_variable posted;
    std::deque<rt::Value> events;
    host.answer("cef_app_posttask", [&](std::span<const rt::Value> args) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            events.push_back(args[1]);
        }
        posted.notify_one();
        return rt::Value();
    });
    rt::Ref<CefWindow> w = makeWindow("w");
    const std::thread::id mainThread = std::this_thread::get_id();
    constexpr int kWorkers = 4;
    constexpr int kTasksEach = 50;
    std::vector<int> ran(kWorkers * kTasksEach, 0);
    bool offMain = false;
    rt::Value call = rt::Function::of("count", [&](std::span<const rt::Value> args) {
        if (std::this_thread::get_id() != mainThread) offMain = true;
        ++ran[args[0].toInt()];
        return rt::Value();
    });

    std::vector<std::thread> workers;
    for (int k = 0; k < kWorkers; ++k) {
        workers.emplace_back([&, k] {
            for (int i = 0; i < kTasksEach; ++i) {
                w->runTask(rt::create<Task>(call, k * kTasksEach + i), 0);
            }
        });
    }
    for (int delivered = 0; delivered < kWorkers * kTasksEach; ++delivered) {
        rt::Value delay;
        {
            std::unique_lock<std::mutex> lock(mutex);
            posted.wait(lock, [&] { return !events.empty(); });
            delay = events.front();
            events.pop_front();
        }
        onTask(w, delay);
    }
    for (std::thread& t : workers) t.join();

    EXPECT_FALSE(offMain);
    EXPECT_EQ(ran, std::vector<int>(kWorkers * kTasksEach, 1));
    EXPECT_EQ(Task::tasks->size(), 0);
}

// The host destroys the window on the main thread while a worker posts through it: the worker
// reads the native handle as it was or finds none, and posts nothing once it is gone.
TEST(TaskTest, AWindowDestroyedWhileAWorkerPostsIsReadSafely) {
    bindings::FakeHost host;
    std::mutex mutex;
    std::condition_variable posted;
    std::vector<rt::Value> handles;
    host.answer("cef_app_posttask", [&](std::span<const rt::Value> args) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            handles.push_back(args[0]);
        }
        posted.notify_one();
        return rt::Value();
    });
    rt::Ref<CefWindow> w = makeWindow("w");
    std::atomic<bool> stop{false};
    std::thread worker([&] {
        while (!stop) w->runTask(rt::create<Task>(rt::Value(), rt::Value()), 0);
    });
    {
        std::unique_lock<std::mutex> lock(mutex);
        posted.wait(lock, [&] { return !handles.empty(); });
    }
    w->on_destroy();
    size_t before = 0;
    {
        std::lock_guard<std::mutex> lock(mutex);
        before = handles.size();
    }
    // Posts already under way when the handle went may still arrive; wait for the worker to
    // come round its loop once more with the handle gone.
    rt::Ref<Task> after = rt::create<Task>(rt::Value(), rt::Value());
    w->runTask(after, 0);
    stop = true;
    worker.join();
    EXPECT_TRUE(after->window == nullptr);
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_GE(before, 1u);
    for (const rt::Value& h : handles) EXPECT_EQ(h, rt::Value("w"));
}

// The list's mutex is the runtime's mutex object, read and replaced by name; the tasks then
// take the new one.
TEST(TaskTest, TheListMutexIsReadAndReplacedByName) {
    bindings::FakeHost host;
    const rt::ClassInfo* info = rt::ClassInfo::find("cef.Task");
    ASSERT_NE(info, nullptr);
    const rt::Value original = info->getStatic("mutex");
    ASSERT_TRUE(original.as<rt::MutexObject>() != nullptr);

    const rt::Value replacement(rt::ClassInfo::createByName("Mutex", {}));
    info->setStatic("mutex", replacement);
    EXPECT_EQ(Task::mutex.get(), replacement.as<rt::MutexObject>().get());
    rt::Value(replacement).callMember("acquire", {});
    bool takenElsewhere = true;
    std::thread([&] {
        takenElsewhere = rt::Value(Task::mutex).callMember("tryAcquire", {}).toBool();
    }).join();
    EXPECT_FALSE(takenElsewhere) << "the task list is guarded by the replacement";
    rt::Value(replacement).callMember("release", {});

    std::vector<rt::Value> log;
    rt::Ref<CefWindow> w = makeWindow("w");
    w->runTask(logTask(log, 5), 0);
    onTask(w, 0);
    EXPECT_EQ(log, std::vector<rt::Value>{5});
    info->setStatic("mutex", original);
}

}  // namespace
}  // namespace cef
