#include "runtime/deque.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "runtime/value.h"

namespace rt {
namespace {

TEST(Deque, PushGoesToTheFrontAndAddToTheBack) {
    Deque<Value> d;
    d.add(1);
    d.add(2);
    d.push(0);
    EXPECT_EQ(d.pop(false), Value(0));
    EXPECT_EQ(d.pop(false), Value(1));
    EXPECT_EQ(d.pop(false), Value(2));
    EXPECT_FALSE(d.pop(false).has_value());
}

TEST(Deque, BlockingPopWaitsForAnElement) {
    Deque<int> d;
    std::thread producer([&] { d.add(7); });
    EXPECT_EQ(d.pop(true), 7);
    producer.join();
}

TEST(Deque, NoElementIsLostOrDuplicatedUnderContention) {
    constexpr int kProducers = 4;
    constexpr int kPerProducer = 5000;
    Deque<int> d;
    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p) {
        producers.emplace_back([&d, p] {
            for (int i = 0; i < kPerProducer; ++i) {
                int item = p * kPerProducer + i;
                if (i % 2) {
                    d.push(item);
                } else {
                    d.add(item);
                }
            }
        });
    }
    std::vector<int> taken;
    std::thread consumer([&] {
        for (int i = 0; i < kProducers * kPerProducer / 2; ++i) taken.push_back(*d.pop(true));
    });
    std::vector<int> polled;
    for (auto& t : producers) t.join();
    consumer.join();
    while (auto item = d.pop(false)) polled.push_back(*item);
    taken.insert(taken.end(), polled.begin(), polled.end());
    std::sort(taken.begin(), taken.end());
    ASSERT_EQ(taken.size(), static_cast<size_t>(kProducers * kPerProducer));
    for (int i = 0; i < kProducers * kPerProducer; ++i) ASSERT_EQ(taken[i], i);
}

}  // namespace
}  // namespace rt
