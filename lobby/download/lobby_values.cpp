#include "lobby/download/lobby_values.h"

#include "runtime/class_info.h"
#include "runtime/convert.h"
#include "runtime/exception.h"

namespace download {
namespace {

const rt::ClassInfo& classNamed(const char* name) {
    const rt::ClassInfo* info = rt::ClassInfo::find(name);
    if (info == nullptr) throw rt::Exception(std::string("No class ") + name + " is registered");
    return *info;
}

rt::Value mainValue(const char* name) {
    return classNamed("Main").getStatic(name);
}

std::string text(const rt::Value& v) {
    return rt::fromValue<std::string>(v);
}

}  // namespace

std::string LobbyValues::appPath() {
    return text(mainValue("appPath"));
}

std::string LobbyValues::updateLocalRoot() {
    return text(mainValue("updateLocalRoot"));
}

std::string LobbyValues::updateServerUrl() {
    return text(mainValue("updateServerUrl"));
}

std::string LobbyValues::serverVerPath() {
    return text(mainValue("serverVerPath"));
}

std::string LobbyValues::httpEtag() {
    return text(mainValue("httpEtag"));
}

rt::Ref<rt::Array> LobbyValues::versions() {
    return mainValue("versions").asArray();
}

rt::Ref<rt::Array> LobbyValues::versionFileList() {
    return mainValue("versionFileList").asArray();
}

rt::Ref<cef::CefWindow> LobbyValues::lobbyWindow() {
    return mainValue("lobbyWindow").as<cef::CefWindow>();
}

std::string LobbyValues::configValue(const std::string& name) {
    return text(classNamed("Config").callStatic("getConfigValue", {rt::Value(name)}));
}

void LobbyValues::addGameToUserSet(const std::string& name) {
    classNamed("Config").callStatic("addGameToUserSet", {rt::Value(name), rt::Value(true)});
}

}  // namespace download
