#pragma once

#include <optional>
#include <string>

#include "runtime/array.h"

namespace lobby {

// What the download engine keeps between downloads. The program sets versions, serverVerPath and
// versionFileList only by name.
class DownloadSettings {
public:
    // Staging folder of the downloads: the installation folder's "app_update".
    std::string updateLocalRoot;
    rt::Ref<rt::Array> versionFileList;
    rt::Ref<rt::Array> versions;
    std::optional<std::string> serverVerPath;
};

// The download settings of the running application.
DownloadSettings& downloadSettings();

}  // namespace lobby
