#pragma once

#include "lobby/app/app_windows.h"
#include "lobby/app/download_settings.h"
#include "lobby/app/install_paths.h"
#include "lobby/app/screen_metrics.h"
#include "lobby/app/version_check.h"

namespace lobby {

// The lobby application's state, in its parts. There is one, made on first use and kept for the
// program's life; each part's header names an accessor for it (installPaths(), screenMetrics(),
// appWindows(), versionCheck(), downloadSettings()), and Main's statics are views onto it by
// name.
class Application {
public:
    InstallPaths paths;
    ScreenMetrics screen;
    AppWindows windows;
    VersionCheck versionCheck;
    DownloadSettings downloads;

    static Application& instance();
};

}  // namespace lobby
