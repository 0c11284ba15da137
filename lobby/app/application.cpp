#include "lobby/app/application.h"

namespace lobby {

// Never destroyed: the windows it holds must not be torn down after the runtime at exit.
Application& Application::instance() {
    static Application* const application = new Application();
    return *application;
}

InstallPaths& installPaths() {
    return Application::instance().paths;
}

ScreenMetrics& screenMetrics() {
    return Application::instance().screen;
}

AppWindows& appWindows() {
    return Application::instance().windows;
}

VersionCheck& versionCheck() {
    return Application::instance().versionCheck;
}

DownloadSettings& downloadSettings() {
    return Application::instance().downloads;
}

}  // namespace lobby
