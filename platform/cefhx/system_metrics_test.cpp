#include "platform/cefhx/system_metrics.h"

#include <gtest/gtest.h>

namespace cefhx {
namespace {

TEST(SystemMetrics, ScreenAndWorkAreaFollowTheScreenGiven) {
    EXPECT_EQ(systemMetric(0, 1600, 900), 1600);
    EXPECT_EQ(systemMetric(1, 1600, 900), 900);
    // The full-screen client height leaves room for a caption, as the lobby sizes windows by it.
    EXPECT_EQ(systemMetric(17, 1600, 900), 900 - systemMetric(4, 1600, 900));
    EXPECT_GT(systemMetric(32, 1600, 900), 0);
    EXPECT_GT(systemMetric(33, 1600, 900), 0);
}

TEST(SystemMetrics, UnknownIndicesAnswerZero) {
    EXPECT_EQ(systemMetric(9999, 1600, 900), 0);
    EXPECT_EQ(systemMetric(-1, 1600, 900), 0);
}

}  // namespace
}  // namespace cefhx
