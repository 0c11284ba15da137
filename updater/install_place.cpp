#include "updater/install_place.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "updater/atomic_file.h"
#include "updater/ini_file.h"
#include "updater/local_file.h"
#include "updater/version_number.h"

namespace haldor {
namespace {

std::string WindowsFolder() {
    if (const char* root = std::getenv("SystemRoot"); root && *root) return DiskPath(root);
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
        return std::string(data) + "/morvick/SystemRoot";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/share/morvick/SystemRoot";
}

}  // namespace

InstallPlace InstallPlace::At(const std::string& executable) {
    InstallPlace place;
    place.executable = executable;
    auto slash = executable.rfind('/');
    place.folder = slash == std::string::npos ? "." : executable.substr(0, slash);
    place.name = slash == std::string::npos ? executable : executable.substr(slash + 1);
    std::string windows = WindowsFolder();
    place.folders = {place.folder, windows, windows + "/System32"};
    return place;
}

InstallPlace InstallPlace::OfThisProcess() {
    std::error_code error;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return At(error ? "Haldor" : exe.string());
}

bool ReplaceOwnExecutable(const InstallPlace& place, const std::string& download) {
    std::string old = place.executable + ".old";
    ::unlink(old.c_str());
    TakePermissions(download, place.executable);
    if (::link(place.executable.c_str(), old.c_str()) != 0) return false;
    return ReplaceFileAtomically(download, place.executable);
}

void CompletePendingSelfUpdate(const InstallPlace& place) {
    std::string old = place.executable + ".old";
    ::unlink(old.c_str());
    std::string version = GetProfileString(place.StateFile(), "Version", "CurrentVersion", "", 200);
    std::string download = place.executable + ".update." + CanonicalVersion(version);
    if (!version.empty() && FileExists(download) && !ReplaceOwnExecutable(place, download))
        std::fprintf(stderr, "Haldor: could not move %s over %s\n", download.c_str(),
                     place.executable.c_str());
    std::string update2 = place.folder + "/Update2.exe";
    if (FileExists(update2)) {
        std::string update21 = place.folder + "/Update21.exe";
        ::unlink(update21.c_str());
        std::rename(update2.c_str(), update21.c_str());
    }
}

}  // namespace haldor
