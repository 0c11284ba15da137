#include "lobby/app/config.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "lobby/app/app_windows.h"
#include "lobby/app/install_paths.h"
#include "lobby/app/lobby_window.h"
#include "lobby/app/position_key.h"
#include "lobby/app/settings_file.h"
#include "lobby/app/version_check.h"
#include "lobby/bindings/cef/cef_app.h"
#include "lobby/bindings/value_access.h"
#include "runtime/class_builder.h"
#include "runtime/file.h"
#include "runtime/file_system.h"
#include "runtime/json.h"
#include "runtime/strings.h"
#include "runtime/trace.h"
#include "runtime/xml.h"

namespace lobby {
namespace {

// The site addresses in which "{domain}" stands for the domain of "_ins.log".
constexpr std::array<const char*, 8> kSiteKeys = {"geteway_url",  "site",         "index_url",
                                                  "register_url", "password_url", "payment_url",
                                                  "spread_url",   "service_url"};

bool isSiteKey(const std::string& key) {
    for (const char* k : kSiteKeys) {
        if (key == k) return true;
    }
    return false;
}

std::optional<std::string> valueOf(const std::map<std::string, std::string>& map,
                                   const std::string& key) {
    auto it = map.find(key);
    if (it == map.end()) return std::nullopt;
    return it->second;
}

// The integer that a text starts with (after optional blanks and a sign), or none.
std::optional<int32_t> leadingInt(const std::string& text) {
    const std::string t = rt::trim(text);
    size_t i = (!t.empty() && (t[0] == '-' || t[0] == '+')) ? 1 : 0;
    if (i >= t.size() || t[i] < '0' || t[i] > '9') return std::nullopt;
    return static_cast<int32_t>(std::strtol(t.c_str(), nullptr, 10));
}

std::string versionFolder() {
    return installPaths().appPath + "version";
}

std::string gameNameOf(const std::string& entry) {
    return entry.substr(0, entry.find('.'));
}

void removeFirst(std::vector<std::string>& list, const std::string& name) {
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (*it == name) {
            list.erase(it);
            return;
        }
    }
}

}  // namespace

void Config::init() {
    std::vector<uint8_t> client = rt::File::getBytes(installPaths().appPath + "Client.ini");
    if (client.empty() || client[0] != '<') applyPositionKey(client);
    configs = readSettingsXml(std::string(client.begin(), client.end()), "Client.ini");
    userSets = readUserSets();

    {
        std::lock_guard lock(installedGamesMutex);
        userInstallGames.clear();
    }
    const std::optional<std::string> clientGames = valueOf(configs, "games");
    const std::optional<std::string> userGames = valueOf(userSets, "games");
    std::string games;
    bool rewrite = false;
    if (!clientGames) {
        games = userGames.value_or("");
    } else if (!clientGames->empty() && (!userGames || userGames->empty())) {
        games = *clientGames;
        rewrite = true;
    } else if (userGames && !userGames->empty()) {
        games = *clientGames + "," + *userGames;
    } else {
        games = *clientGames;
    }
    userSets["games"] = games;
    if (rewrite) saveUserSets();
    if (!games.empty()) {
        std::lock_guard lock(installedGamesMutex);
        userInstallGames = rt::split(games, ",");
    }

    if (rt::FileSystem::exists(versionFolder())) {
        const std::string folder =
            cef::CefApp::ansi2Unicode(versionFolder()).value_or(versionFolder());
        for (const std::string& entry : rt::FileSystem::readDirectory(folder)) {
            addGameToUserSet(gameNameOf(entry));
        }
    }

    domain.reset();
    const std::string insLog = installPaths().appPath + "_ins.log";
    if (rt::FileSystem::exists(insLog)) {
        const std::string text = rt::File::getContent(insLog);
        const std::vector<std::string> parts = rt::split(text, "_");
        if (!text.empty() && parts.size() >= 2) domain = parts[0];
    }
    const std::optional<std::string> allowed = valueOf(configs, "domain");
    if (!allowed || allowed->empty()) {
        domain.reset();
    } else if (*allowed != "*" && domain && allowed->find(*domain) == std::string::npos) {
        domain.reset();
    }
}

std::optional<std::string> Config::getConfigValue(std::string key) {
    if (key == "ver") return valueOf(userSets, "ver").value_or("0");
    std::optional<std::string> value = valueOf(configs, key);
    if (value && isSiteKey(key) && value->find("{domain}") != std::string::npos) {
        return rt::replaceAll(*value, "{domain}", domain.value_or("www"));
    }
    return value;
}

void Config::setConfigValue(std::string key, std::string value) {
    configs[std::move(key)] = std::move(value);
}

std::optional<std::string> Config::getUserSetValue(std::string key) {
    return valueOf(userSets, key);
}

rt::Ref<rt::Record> Config::getHotKeySet() {
    const std::vector<std::string> parts = rt::split(valueOf(userSets, "hotkey").value_or(""), ",");
    rt::Ref<rt::Record> set = rt::make<rt::Record>();
    set->set("key", parts.empty() ? rt::Value() : rt::Value(parts[0]));
    const auto intAt = [&parts](size_t i) {
        const std::optional<int32_t> n = i < parts.size() ? leadingInt(parts[i]) : std::nullopt;
        return n ? rt::Value(*n) : rt::Value();
    };
    set->set("code", intAt(1));
    set->set("enabled", intAt(2));
    return set;
}

bool Config::setHotKeySet(rt::Value set) {
    try {
        const auto text = [](const rt::Value& v) {
            return v.isString() ? std::string(v.str()) : v.toString();
        };
        const std::string stored =
            text(set.get("key")) + "," + text(set.get("code")) + "," + text(set.get("enabled"));
        if (!xmlCanHold(stored)) {
            RT_TRACE("hot key set refused, XML cannot hold it: " +
                     rt::Json::stringify(rt::Value(stored)));
            return false;
        }
        const rt::Ref<rt::Record> old = getHotKeySet();
        // Keeps the user with the boss key the settings still name.
        const auto restoreOld = [&old] {
            cef::CefApp::unRegisterHotKey(appWindows().lobbyWindow, appWindows().hotkeyName);
            if (old->get("enabled").toInt() == 1) {
                cef::CefApp::registerHotKey(appWindows().lobbyWindow, appWindows().hotkeyName, 1,
                                            old->get("code").toInt());
            }
        };
        cef::CefApp::unRegisterHotKey(appWindows().lobbyWindow, appWindows().hotkeyName);
        if (set.get("enabled").toInt() == 1 &&
            cef::CefApp::registerHotKey(appWindows().lobbyWindow, appWindows().hotkeyName, 1,
                                        set.get("code").toInt()) == -1) {
            restoreOld();
            return false;
        }
        const std::string previous = userSets["hotkey"];
        userSets["hotkey"] = stored;
        try {
            saveUserSets();
        } catch (...) {
            // The stored key stays the old one, so the registered key goes back to it.
            userSets["hotkey"] = previous;
            restoreOld();
            throw;
        }
        return true;
    } catch (const std::exception& e) {
        RT_TRACE(std::string("hot key set failed: ") + e.what());
        return false;
    }
}

bool Config::addGameToUserSet(std::string name, bool fromDownload) {
    if (fromDownload && versionCheck().isGameNeedUpdate(name)) {
        removeFirst(versionCheck().updateModules, name);
        return false;
    }
    if (checkIsGameInstall(name)) return false;
    if (!xmlCanHold(name)) {
        RT_TRACE("game name refused, XML cannot hold it: " + rt::Json::stringify(rt::Value(name)));
        return false;
    }
    std::string games;
    {
        std::lock_guard lock(installedGamesMutex);
        userInstallGames.push_back(name);
        games = rt::join(userInstallGames, ",");
    }
    if (rt::startsWith(games, ",")) games.erase(0, 1);
    userSets["games"] = games;
    saveUserSets();
    return true;
}

bool Config::checkIsGameInstall(std::string name) {
    const std::string wanted = rt::toLower(name);
    std::lock_guard lock(installedGamesMutex);
    for (const std::string& game : userInstallGames) {
        if (rt::toLower(game) == wanted) return true;
    }
    return false;
}

std::string Config::checkInstallNewGame() {
    if (!rt::FileSystem::exists(versionFolder())) return "";
    for (const std::string& entry : rt::FileSystem::readDirectory(versionFolder())) {
        const std::string name = gameNameOf(entry);
        if (addGameToUserSet(name)) return name;
        const std::string content = rt::File::getContent(versionFolder() + "/" + entry);
        VersionCheck& check = versionCheck();
        const std::optional<std::string> recorded =
            check.isUpdateModulesInit ? valueOf(check.updateVersion, name) : std::nullopt;
        if ((!recorded || *recorded != content) && check.isGameNeedUpdate(name)) {
            removeFirst(check.updateModules, name);
            return name;
        }
    }
    return "";
}

std::vector<std::string> Config::installedGames() {
    std::lock_guard lock(installedGamesMutex);
    return userInstallGames;
}

void Config::saveUserSets() {
    std::vector<std::pair<std::string_view, std::string>> marks;
    for (const auto& [mark, key] :
         std::array<std::pair<const char*, const char*>, 5>{{{"#HOTKEY#", "hotkey"},
                                                             {"#VER#", "ver"},
                                                             {"#USERNAME#", "username"},
                                                             {"#PASSWORD#", "password"},
                                                             {"#GAMES#", "games"}}}) {
        const std::string value = valueOf(userSets, key).value_or("");
        if (!xmlCanHold(value)) {
            throw std::runtime_error(std::string("the user setting ") + key +
                                     " holds a character XML cannot hold");
        }
        marks.emplace_back(mark, rt::escapeXmlText(value));
    }
    rt::File::replaceContent(installPaths().appPath + "UserSet.ini",
                             fillTemplate(userSetTemplate, marks));
}

std::map<std::string, std::string> Config::readUserSets() {
    const std::string path = installPaths().appPath + "UserSet.ini";
    const std::string text = rt::File::getContent(path);
    try {
        return readSettingsXml(text, "UserSet.ini");
    } catch (const std::runtime_error& e) {
        // Kept for the user to look at; the program starts with the defaults.
        const std::string aside = path + ".unreadable";
        rt::FileSystem::rename(path, aside);
        RT_TRACE(std::string(e.what()) + "; kept as " + aside + ", starting with the defaults");
        return {};
    }
}

const rt::ClassInfo& Config::staticClassInfo() {
    static const rt::ClassInfo& info =
        rt::ClassBuilder<Config>("Config")
            .staticFields(RT_NAMED(Config, remoteConfigs, domain, userSetTemplate, machineCodeStr))
            .staticMethods(RT_NAMED(Config, init, getConfigValue, setConfigValue, getUserSetValue,
                                    getHotKeySet, setHotKeySet, addGameToUserSet,
                                    checkIsGameInstall))
            .staticMethod("checkInstallnewgame", &Config::checkInstallNewGame)
            .staticMethod("getMachineCode", &Config::getMachineCode)
            .build();
    return info;
}

RT_REGISTER_CLASS(Config);

}  // namespace lobby
