#include "lobby/download/lobby_values.h"

#include "lobby/app/app_windows.h"
#include "lobby/app/config.h"
#include "lobby/app/download_settings.h"
#include "lobby/app/install_paths.h"
#include "lobby/app/lobby_window.h"
#include "lobby/app/version_check.h"

namespace download {

using lobby::Config;

std::string LobbyValues::appPath() {
    return lobby::installPaths().appPath;
}

std::string LobbyValues::updateLocalRoot() {
    return lobby::downloadSettings().updateLocalRoot;
}

std::string LobbyValues::updateServerUrl() {
    return lobby::versionCheck().updateServerUrl.value_or("");
}

std::string LobbyValues::serverVerPath() {
    return lobby::downloadSettings().serverVerPath.value_or("");
}

std::string LobbyValues::httpEtag() {
    return lobby::versionCheck().httpEtag;
}

rt::Ref<rt::Array> LobbyValues::versions() {
    return lobby::downloadSettings().versions;
}

rt::Ref<rt::Array> LobbyValues::versionFileList() {
    return lobby::downloadSettings().versionFileList;
}

rt::Ref<cef::CefWindow> LobbyValues::lobbyWindow() {
    return lobby::appWindows().lobbyWindow;
}

std::string LobbyValues::configValue(const std::string& name) {
    return Config::getConfigValue(name).value_or("");
}

void LobbyValues::addGameToUserSet(const std::string& name) {
    Config::addGameToUserSet(name, true);
}

}  // namespace download
