// Version files and file lists come from the server. Whatever they hold, reading them must not
// fail unsafely, a maximum version is only ever a canonical number, and an entry that is
// accepted for writing never has its target (or its download name) outside its base folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "updater/update_files.h"
#include "updater/version_number.h"

namespace {

const haldor::InstallFolders kFolders{"/inst/Morvick", "/win", "/win/System32"};

const std::string& BaseOf(const haldor::CUpdateFile& file) {
    if (file.install_dir == "WINDOWSDIR") return kFolders.windows;
    if (file.install_dir == "SYSTEMDIR") return kFolders.system;
    return kFolders.own;
}

bool Inside(const std::string& path, const std::string& base) {
    auto relative = std::filesystem::path(path).lexically_normal().lexically_relative(base);
    return !relative.empty() && relative.is_relative() && *relative.begin() != ".." &&
           relative != ".";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    haldor::CUpdateFiles manifest(kFolders);
    manifest.LoadBytes(bytes, true);
    manifest.ReadProductBytes(bytes);
    const std::string max = manifest.max_version();
    if (!max.empty() && haldor::CanonicalVersion(max) != max) std::abort();

    manifest.LoadBytes(bytes, false);
    const std::string version = haldor::CanonicalVersion(manifest.list_version());
    while (auto file = manifest.PopFront()) {
        if (!file->IsSafe()) continue;
        const std::string& base = BaseOf(*file);
        if (!Inside(file->target_path, base) ||
            !Inside(file->target_path + ".update." + version, base))
            std::abort();
    }
    return 0;
}
