#include "runtime/thread.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "runtime/array.h"
#include "runtime/class_info.h"
#include "runtime/exception.h"
#include "runtime/flag.h"
#include "runtime/mutex.h"
#include "runtime/object.h"
#include "runtime/record.h"

namespace rt {
namespace {

TEST(Thread, ReceivesMessagesInOrderAndAnswersThroughAnother) {
    Ref<Thread> main = Thread::current();
    Ref<Thread> worker = Thread::create([main] {
        Value first = Thread::readMessage(true);
        Value second = Thread::readMessage(true);
        main->sendMessage(Value(Array::of({first, second, Thread::readMessage(false)})));
    });
    worker->sendMessage(Value(Record::of({{"url", "http://127.0.0.1/a"}})));
    worker->sendMessage(2);
    Value reply = Thread::readMessage(true);
    worker->join();
    EXPECT_EQ(reply.toString(), "[{ url : http://127.0.0.1/a },2,null]");
    EXPECT_TRUE(Thread::readMessage(false).isNull());
}

TEST(Thread, CurrentIsTheThreadsOwnHandle) {
    Ref<Thread> seen;
    std::mutex m;
    Ref<Thread> t = Thread::create([&] {
        std::lock_guard<std::mutex> lock(m);
        seen = Thread::current();
    });
    t->join();
    std::lock_guard<std::mutex> lock(m);
    EXPECT_EQ(seen.get(), t.get());
    EXPECT_NE(Thread::current().get(), t.get());
    seen = nullptr;
}

TEST(Thread, ExceptionLeavingTheBodyIsTraced) {
    testing::internal::CaptureStdout();
    Thread::create([] { throw Exception("worker failed"); })->join();
    EXPECT_NE(testing::internal::GetCapturedStdout().find(": worker failed\n"), std::string::npos);
}

TEST(Thread, HandleDroppedWhileTheThreadRuns) {
    Flag go;
    Flag done;
    Thread::create([&] {
        while (!go.get()) std::this_thread::yield();
        done.set();
    });
    go.set();
    while (!done.get()) std::this_thread::yield();
}

TEST(Thread, ValuesSharedAcrossThreadsKeepTheirCount) {
    auto shared = Array::of({1});
    std::vector<Ref<Thread>> threads;
    for (int i = 0; i < 4; ++i) {
        threads.push_back(Thread::create([shared] {
            for (int n = 0; n < 2000; ++n) {
                Value copy(shared);
                Value again = copy;
            }
        }));
    }
    for (auto& t : threads) t->join();
    threads.clear();
    EXPECT_EQ(shared->refCount(), 1);
}

TEST(Mutex, IsRecursiveAndGuardsACounter) {
    Mutex m;
    int counter = 0;
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&] {
            for (int n = 0; n < 1000; ++n) {
                std::lock_guard<Mutex> outer(m);
                std::lock_guard<Mutex> inner(m);
                ++counter;
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(counter, 4000);
}

// The mutex object taken by name holds until it is released by name: references to it that come
// and go leave it taken.
TEST(MutexObject, IsTakenAndReleasedByName) {
    Value mutex(ClassInfo::createByName("Mutex", {}));
    mutex.callMember("acquire", {});
    { Value copy = mutex; }
    bool takenElsewhere = true;
    std::thread([&] { takenElsewhere = mutex.callMember("tryAcquire", {}).toBool(); }).join();
    EXPECT_FALSE(takenElsewhere);
    mutex.callMember("release", {});
    std::thread([&] {
        takenElsewhere = mutex.callMember("tryAcquire", {}).toBool();
        if (takenElsewhere) mutex.callMember("release", {});
    }).join();
    EXPECT_TRUE(takenElsewhere);
}

TEST(Flag, PublishesWhatWasWrittenBeforeIt) {
    Flag ready;
    std::vector<std::string> list;  // written before the flag, read after it, no lock
    Ref<Thread> t = Thread::create([&] {
        list = {"pexmor", "ravo"};
        ready.set();
    });
    while (!ready.get()) std::this_thread::yield();
    EXPECT_EQ(list.size(), 2u);
    t->join();
}

}  // namespace
}  // namespace rt
