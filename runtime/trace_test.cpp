#include "runtime/trace.h"

#include <gtest/gtest.h>

#include <string>

namespace rt {
namespace {

TEST(Trace, WritesFileLineAndMessageToStandardOutput) {
    testing::internal::CaptureStdout();
    trace("/src/lobby/app/Main.cpp", 12, Value("hot key error"));
    int line = __LINE__ + 1;
    RT_TRACE(3.5);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out,
              "Main.cpp:12: hot key error\ntrace_test.cpp:" + std::to_string(line) + ": 3.5\n");
}

}  // namespace
}  // namespace rt
