#include "bench/support/pair_summary.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

namespace bench {
namespace {

TEST(SpreadTest, OddEvenAndEmptyCounts) {
    const Spread odd = spreadOf({5, 1, 3});
    EXPECT_EQ(odd.min, 1);
    EXPECT_EQ(odd.median, 3);
    EXPECT_EQ(odd.max, 5);
    EXPECT_EQ(spreadOf({4, 1, 3, 2}).median, 2.5);
    EXPECT_EQ(spreadOf({}).median, 0);
}

// The ratio is the median of the pairs' own ratios, not the ratio of the two medians: a pair
// taken while the machine was busy compares two slow runs.
TEST(PairSummaryTest, MedianOfThePairsRatios) {
    PairSummary cost("cost", "s");
    cost.add(2, 1);   // 2.0
    cost.add(9, 3);   // 3.0
    cost.add(4, 10);  // 0.4
    EXPECT_DOUBLE_EQ(cost.medianRatio(), 2.0);

    PairSummary speedUp("speed", "s", true);
    speedUp.add(2, 10);
    speedUp.add(4, 10);
    EXPECT_DOUBLE_EQ(speedUp.medianRatio(), 3.75);
}

TEST(PairSummaryTest, ClosingLineNamesTheMeasureAndBothMedians) {
    PairSummary s("md5-vs-md5sum", "s");
    s.add(0.5, 0.25);
    s.add(0.75, 0.5);
    s.add(1, 1);
    const std::string text = s.report("ours", "theirs");
    const std::string last = text.substr(text.rfind("ratio "));
    EXPECT_EQ(last, "ratio md5-vs-md5sum 1.50 (0.75 vs 0.5)\n");
    EXPECT_NE(text.find("ours: min 0.5 / median 0.75 / max 1 s"), std::string::npos) << text;
}

TEST(PairSummaryTest, RefusesFiguresThatCannotFormARatio) {
    PairSummary s("x", "s");
    EXPECT_THROW(s.add(0, 1), std::invalid_argument);
    EXPECT_THROW(s.add(1, -1), std::invalid_argument);
    EXPECT_THROW(s.add(1, std::numeric_limits<double>::quiet_NaN()), std::invalid_argument);
    EXPECT_EQ(s.size(), 0u);
}

}  // namespace
}  // namespace bench
