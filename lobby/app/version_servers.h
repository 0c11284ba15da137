#pragma once

#include <string>
#include <vector>

namespace lobby {

// The eight built-in version-server base addresses, fixed at build time (CMake setting
// MORVICK_VERSION_SERVERS), each ending in "/version/".
const std::vector<std::string>& builtInVersionServers();

}  // namespace lobby
