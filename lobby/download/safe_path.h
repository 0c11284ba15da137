#pragma once

#include <string_view>

namespace download {

// Whether a game file path of the server list stays inside the installation folder: it starts
// with one separator ("\" or "/"), names a file, and has no ".." part and no drive or other
// colon part. Anything else would be fetched or written outside the folder.
bool isSafeGamePath(std::string_view path);

}  // namespace download
