#pragma once

#include <cstdint>

namespace rt {

// Monotonic time stamps: only differences between two stamps have a meaning.
double timeStamp();          // seconds, with sub-millisecond precision
int64_t timeStampMs();       // whole milliseconds
void sleep(double seconds);  // a zero or negative time returns at once

}  // namespace rt
