// File addresses come from pages. Whatever the address, a served path lies inside its folder:
// below it, normalised, with no ".." segment, no NUL and no backslash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/cefhx/file_url.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string url(reinterpret_cast<const char*>(data), size);
    static const std::vector<std::string> filters = {"/resource/", "/LobbyClientMain.swf",
                                                     "/my%20pages/"};
    (void)cefhx::localPathOf(url);
    (void)cefhx::matchesFilterPath(url, filters);
    (void)cefhx::contentTypeOf(url);
    (void)cefhx::pageAddress(url);
    const std::optional<cefhx::ServedPath> served = cefhx::servedPathOf(url, filters);
    if (!served) return 0;
    const std::string& folder = served->folder;
    const std::string& path = served->path;
    if (folder.empty() || folder[0] != '/' || path.size() <= folder.size() + 1) std::abort();
    if (path.compare(0, folder.size(), folder) != 0 || path[folder.size()] != '/') std::abort();
    if (path.find('\0') != std::string::npos || path.find('\\') != std::string::npos) std::abort();
    if (path.find("//") != std::string::npos) std::abort();
    if (path.find("/../") != std::string::npos || path.ends_with("/..")) std::abort();
    if (path.find("/./") != std::string::npos || path.ends_with("/.")) std::abort();
    return 0;
}
