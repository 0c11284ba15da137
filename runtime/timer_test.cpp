#include "runtime/timer.h"

#include <gtest/gtest.h>

namespace rt {
namespace {

TEST(TimerTest, StampsCoverASleepAndNonPositiveSleepsReturn) {
    const double startSeconds = timeStamp();
    const int64_t startMs = timeStampMs();
    sleep(0);
    sleep(-1);
    sleep(0.02);
    const double seconds = timeStamp() - startSeconds;
    const int64_t ms = timeStampMs() - startMs;
    EXPECT_GE(seconds, 0.02);
    EXPECT_GE(ms, 20);
    // Both stamps come from the same clock.
    EXPECT_NEAR(seconds * 1000, static_cast<double>(ms), 2.0 + seconds * 1000 * 0.5);
}

}  // namespace
}  // namespace rt
