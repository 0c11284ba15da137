// System metrics by the Windows index numbers the program asks for, answered for the screen the
// host presents (the headless screen, or the configured one).
#pragma once

namespace cefhx {

// 0 for an index the host does not know.
int systemMetric(int index, int screenWidth, int screenHeight);

}  // namespace cefhx
