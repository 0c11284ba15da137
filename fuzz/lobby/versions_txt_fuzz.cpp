// "versions.txt" comes from the download server: any text parses or fails with the parser's
// error, and a parse gives one file list per version.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

#include "platform/downloadgame/server_versions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        const downloadgame::ServerVersions v = downloadgame::ServerVersions::parse(
            std::string_view(reinterpret_cast<const char*>(data), size));
        if (v.versions.empty() || v.files.size() != v.versions.size()) std::abort();
        (void)v.serverVerPath();
    } catch (const std::runtime_error&) {
    }
    return 0;
}
