#pragma once

namespace rt {

// A uniformly distributed number in [0, 1); safe to call from any thread.
double random();

}  // namespace rt
