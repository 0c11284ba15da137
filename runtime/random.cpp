#include "runtime/random.h"

#include <random>

namespace rt {

double random() {
    thread_local std::mt19937_64 engine{std::random_device{}()};
    // The top 53 bits fill a double's mantissa exactly, so 1.0 can never come out.
    return static_cast<double>(engine() >> 11) * 0x1.0p-53;
}

}  // namespace rt
