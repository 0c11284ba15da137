// Memory of a process and everything it started, as the kernel accounts it.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace bench {

// The process and its descendants that run now.
std::vector<pid_t> processTree(pid_t root);

// Proportional set size of the processes, in MiB: shared pages are split among their sharers,
// so the sum is what the group costs the machine.
double pssMiB(const std::vector<pid_t>& processes);

// What a process is, from its command line: Chromium's helpers by their "--type=" (and a
// utility's sub-type, a renderer of Chromium's own pages as "renderer webui"), the browser
// process as "browser", anything else by its program's file name.
std::string processKind(const std::vector<std::string>& commandLine);

// The processes' PSS in MiB summed per kind, and the number of processes of each kind.
struct KindShare {
    double mib = 0;
    int processes = 0;
};
std::map<std::string, KindShare> pssByKind(const std::vector<pid_t>& processes);

}  // namespace bench
