#include "runtime/random.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

namespace rt {
namespace {

TEST(RandomTest, NumbersFromManyThreadsStayInRangeAndSpread) {
    constexpr int kThreads = 8;
    constexpr int kDraws = 20000;
    std::vector<std::vector<double>> draws(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&draws, t] {
            for (int i = 0; i < kDraws; ++i) draws[t].push_back(random());
        });
    }
    for (auto& thread : threads) thread.join();

    std::set<double> firsts;
    for (const auto& list : draws) {
        double sum = 0;
        int buckets[10] = {};
        for (double value : list) {
            ASSERT_GE(value, 0.0);
            ASSERT_LT(value, 1.0);
            sum += value;
            ++buckets[static_cast<int>(value * 10)];
        }
        EXPECT_NEAR(sum / kDraws, 0.5, 0.02);
        for (int count : buckets) EXPECT_GT(count, kDraws / 20);
        firsts.insert(list.front());
    }
    // Every thread draws its own sequence.
    EXPECT_EQ(firsts.size(), static_cast<size_t>(kThreads));
}

}  // namespace
}  // namespace rt
