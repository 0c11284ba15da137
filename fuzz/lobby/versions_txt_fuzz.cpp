// "versions.txt" comes from the download server: any text parses or fails with the parser's
// error, and a parse gives one file list per version.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/downloadgame/server_versions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const morvick::Expected<downloadgame::ServerVersions> v = downloadgame::ServerVersions::parse(
        std::string_view(reinterpret_cast<const char*>(data), size));
    if (!v) {
        if (v.error().empty()) std::abort();
        return 0;
    }
    if (v->versions.empty() || v->files.size() != v->versions.size()) std::abort();
    (void)v->serverVerPath();
    return 0;
}
