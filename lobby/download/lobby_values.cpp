#include "lobby/download/lobby_values.h"

#include "lobby/app/config.h"
#include "lobby/app/lobby_window.h"
#include "lobby/app/main.h"

namespace download {

using lobby::Config;
using lobby::Main;

std::string LobbyValues::appPath() {
    return Main::appPath;
}

std::string LobbyValues::updateLocalRoot() {
    return Main::updateLocalRoot;
}

std::string LobbyValues::updateServerUrl() {
    return Main::updateServerUrl.value_or("");
}

std::string LobbyValues::serverVerPath() {
    return Main::serverVerPath.value_or("");
}

std::string LobbyValues::httpEtag() {
    return Main::httpEtag;
}

rt::Ref<rt::Array> LobbyValues::versions() {
    return Main::versions;
}

rt::Ref<rt::Array> LobbyValues::versionFileList() {
    return Main::versionFileList;
}

rt::Ref<cef::CefWindow> LobbyValues::lobbyWindow() {
    return Main::lobbyWindow;
}

std::string LobbyValues::configValue(const std::string& name) {
    return Config::getConfigValue(name).value_or("");
}

void LobbyValues::addGameToUserSet(const std::string& name) {
    Config::addGameToUserSet(name, true);
}

}  // namespace download
