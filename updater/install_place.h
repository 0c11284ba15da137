#pragma once

#include <string>

#include "updater/update_file.h"

namespace haldor {

// Where the updater runs: its own executable and the folders a manifest can name.
struct InstallPlace {
    std::string executable;  // full path of the updater
    std::string folder;      // its folder, without a trailing separator
    std::string name;        // its file name
    InstallFolders folders;

    // The running updater: its executable from /proc, "SystemRoot" (or the per-user default
    // under the XDG data folder) as the Windows folder and its "System32" as the system folder.
    static InstallPlace OfThisProcess();
    // An updater at `executable`, with the Windows folder taken the same way.
    static InstallPlace At(const std::string& executable);

    std::string StateFile() const { return folder + "/UpdateTemp.ini"; }
    std::string LogFile() const { return folder + "/UpdateLog.log"; }
};

// Brings a pending new copy of the updater into place, as the start does: deletes
// "<exe>.old", and when "<exe>.update.<version>" exists for the installed version, keeps the
// running file as "<exe>.old" and moves the new copy over "<exe>". Also renames "Update2.exe"
// to "Update21.exe" in the folder.
void CompletePendingSelfUpdate(const InstallPlace& place);

// Replaces the updater's own executable by `download`, keeping the old one as "<exe>.old";
// at no moment is "<exe>" missing or torn.
bool ReplaceOwnExecutable(const InstallPlace& place, const std::string& download);

}  // namespace haldor
