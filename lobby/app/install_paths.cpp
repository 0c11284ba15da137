#include "lobby/app/install_paths.h"

#include "lobby/bindings/cef/cef_app.h"
#include "runtime/file_system.h"

namespace lobby {
namespace {

std::string withSeparator(std::string path) {
    if (path.empty() || (path.back() != '/' && path.back() != '\\')) path += '/';
    return path;
}

}  // namespace

void InstallPaths::findAppPath() {
    appPath = withSeparator(rt::FileSystem::currentDirectory());
    if (appPath.find("~1") == std::string::npos) return;
    const std::string exe = cef::CefApp::unicode2Ansi(rt::FileSystem::executablePath())
                                .value_or(rt::FileSystem::executablePath());
    appPath = exe.substr(0, exe.find_last_of("/\\") + 1);
    rt::FileSystem::setCurrentDirectory(appPath);
}

}  // namespace lobby
