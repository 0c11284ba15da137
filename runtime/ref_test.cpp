#include "runtime/ref.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "runtime/array.h"

namespace rt {
namespace {

class Counted : public HeapObject {
public:
    explicit Counted(std::atomic<int>& alive) : HeapObject(HeapKind::Other), alive_(alive) {
        ++alive_;
    }
    ~Counted() override { --alive_; }

private:
    std::atomic<int>& alive_;
};

TEST(Ref, LastReferenceFreesTheObject) {
    std::atomic<int> alive{0};
    {
        Ref<Counted> a = make<Counted>(alive);
        Ref<Counted> b = a;
        Ref<Counted> c = std::move(b);
        EXPECT_FALSE(b);
        EXPECT_EQ(a->refCount(), 2);
        EXPECT_EQ(alive, 1);
    }
    EXPECT_EQ(alive, 0);
}

TEST(Ref, WeakLockRacesWithTheLastRelease) {
    std::atomic<int> alive{0};
    for (int round = 0; round < 200; ++round) {
        Ref<Counted> strong = make<Counted>(alive);
        WeakRef<Counted> weak(strong);
        std::vector<std::thread> lockers;
        for (int t = 0; t < 3; ++t) {
            lockers.emplace_back([weak] {
                // Each successful lock holds a live object; once the target is gone it stays gone.
                while (Ref<Counted> r = weak.lock()) EXPECT_GT(r->refCount(), 0);
                EXPECT_FALSE(weak.lock());
            });
        }
        strong = nullptr;
        for (auto& t : lockers) t.join();
    }
    EXPECT_EQ(alive, 0);
}

TEST(Ref, WeakReferenceOutlivesItsTarget) {
    WeakRef<Array> weak;
    {
        auto a = Array::of({1});
        weak = WeakRef<Array>(a);
        WeakRef<Array> copy = weak;
        EXPECT_EQ(copy.lock().get(), a.get());
    }
    EXPECT_FALSE(weak.lock());
    EXPECT_FALSE(WeakRef<Array>().lock());
}

}  // namespace
}  // namespace rt
