#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace syslite {

// Starts a program as its own process (its own session, no descriptors of ours beyond the
// standard three), never through a shell. argv[0] is the program as given. A process that is not
// waited for is reaped in the background, so no zombie stays behind. Failures throw
// std::runtime_error naming the program.
pid_t startProcess(const std::string& file, const std::vector<std::string>& argv,
                   const std::string& folder);

// Waits until the process has ended and answers its exit code (128 + signal when killed).
int waitForProcess(pid_t pid);

// Reaps the process in the background once it ends.
void reapInBackground(pid_t pid);

// The path of an executable program found in $PATH, or empty.
std::string findInPath(const std::string& name);

}  // namespace syslite
