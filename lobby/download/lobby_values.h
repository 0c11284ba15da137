#pragma once

#include <optional>
#include <string>

#include "lobby/bindings/cef/cef_window.h"
#include "runtime/array.h"
#include "runtime/value.h"

namespace download {

// What the download engine reads from the lobby application: statics of `Main` (the download
// library sets versions, versionFileList and serverVerPath by name) and operations of `Config`.
struct LobbyValues {
    static std::string appPath();
    static std::string updateLocalRoot();
    static std::string updateServerUrl();
    static std::string serverVerPath();
    static std::string httpEtag();
    static rt::Ref<rt::Array> versions();
    static rt::Ref<rt::Array> versionFileList();
    static rt::Ref<cef::CefWindow> lobbyWindow();

    static std::string configValue(const std::string& name);
    static void addGameToUserSet(const std::string& name);
};

}  // namespace download
