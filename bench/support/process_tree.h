// Memory of a process and everything it started, as the kernel accounts it.
#pragma once

#include <sys/types.h>

#include <vector>

namespace bench {

// The process and its descendants that run now.
std::vector<pid_t> processTree(pid_t root);

// Proportional set size of the processes, in MiB: shared pages are split among their sharers,
// so the sum is what the group costs the machine.
double pssMiB(const std::vector<pid_t>& processes);

}  // namespace bench
