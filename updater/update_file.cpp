#include "updater/update_file.h"

#include "updater/control_chars.h"
#include "updater/local_file.h"

namespace haldor {
namespace {

bool IsSafeRelative(const std::string& path) {
    if (HasControlCharacter(path)) return false;
    std::string p = DiskPath(path);
    if (!p.empty() && p.front() == '/') return false;
    if (p.size() >= 2 && p[1] == ':') return false;
    std::size_t start = 0;
    while (start <= p.size()) {
        auto slash = p.find('/', start);
        if (slash == std::string::npos) slash = p.size();
        if (p.compare(start, slash - start, "..") == 0 && slash - start == 2) return false;
        start = slash + 1;
    }
    return true;
}

}  // namespace

void CUpdateFile::ComputeTargetPath(const InstallFolders& folders) {
    const std::string& base = install_dir == "WINDOWSDIR"  ? folders.windows
                              : install_dir == "SYSTEMDIR" ? folders.system
                                                           : folders.own;
    target_path = local_path.empty()
                      ? base + "/" + DiskPath(file_name)
                      : base + "/" + DiskPath(local_path) + "/" + DiskPath(file_name);
}

bool CUpdateFile::IsSafe() const {
    // The name must end in a file, not in a folder ("", "a/", ".").
    std::string name = DiskPath(file_name);
    std::string last = name.substr(name.rfind('/') + 1);
    return !last.empty() && last != "." && IsSafeRelative(file_name) && IsSafeRelative(local_path);
}

bool CUpdateFile::DecideNeedsUpdate(bool newer_or_equal) const {
    if (!FileExists(target_path)) return true;
    auto local = ReadLocalFile(target_path);
    return local && !(local->write_time == file_time) && !newer_or_equal;
}

}  // namespace haldor
