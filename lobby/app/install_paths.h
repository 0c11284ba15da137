#pragma once

#include <map>
#include <optional>
#include <string>

#include "runtime/bytes.h"

namespace lobby {

// Where the lobby is installed and where its pages come from. Set during start-up, read by every
// window and by the download engine.
class InstallPaths {
public:
    // Prefix of every local file path; ends with a separator.
    std::string appPath;
    // Name of the local page folder (or, with ".pak", of the archive).
    std::string localRes;
    // The page folder as request paths show it: "/" separators, lower case.
    std::string resourcePath;
    // Archive entries by lower-cased name; absent when pages come from the folder.
    std::optional<std::map<std::string, rt::Ref<rt::Bytes>>> resourceFilesData;
    // The lobby client movie read from "lobby.dat"; null when "LobbyClientMain.swf" exists.
    rt::Ref<rt::Bytes> mainSwfData;
    // The system's program folder and the user's application-data folder.
    std::string programFiles;
    std::string appDataPath;

    // Takes the working folder as the installation; a short (8.3) path is replaced by the
    // program's own folder, which then becomes the current folder.
    void findAppPath();
};

// The installation paths of the running application.
InstallPaths& installPaths();

}  // namespace lobby
