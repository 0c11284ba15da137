#include "runtime/timer.h"

#include <chrono>
#include <thread>

namespace rt {
namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

double timeStamp() {
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

int64_t timeStampMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
        .count();
}

void sleep(double seconds) {
    if (seconds > 0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

}  // namespace rt
