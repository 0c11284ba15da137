#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "runtime/object.h"
#include "runtime/record.h"
#include "runtime/value.h"

namespace lobby {

// Every setting of the lobby program: the client configuration ("Client.ini"), the user
// settings ("UserSet.ini"), the settings the lobby page hands over at run time, the installed
// games, the site domain ("_ins.log"), the boss-key set and the machine code. All files live in
// the installation folder. Statics only; used on the UI thread, except that the version-check
// thread reads the installed games through installedGames().
class Config final : public rt::Object {
    RT_CLASS(Config)
public:
    // "Client.ini": element name to text.
    static inline std::map<std::string, std::string> configs;
    // "UserSet.ini": element name to text.
    static inline std::map<std::string, std::string> userSets;
    // What the lobby page set at run time (an anonymous record), read by field name.
    static inline rt::Value remoteConfigs;
    // Installed games in list order. Appended to on the UI thread under installedGamesMutex;
    // other threads read it through installedGames().
    static inline std::vector<std::string> userInstallGames;
    static inline std::mutex installedGamesMutex;
    // Site domain from "_ins.log"; absent when there is none or the configuration refuses it.
    static inline std::optional<std::string> domain;
    static inline std::string userSetTemplate =
        "<data><ver>#VER#</ver><hotkey>#HOTKEY#</hotkey><username>#USERNAME#</username>"
        "<password>#PASSWORD#</password><games>#GAMES#</games></data>";
    // The cached machine code; absent until first asked for.
    static inline std::optional<std::string> machineCodeStr;

    // Reads every settings file of the installation folder. Throws when "Client.ini" or
    // "UserSet.ini" cannot be read.
    static void init();

    // A "Client.ini" value ("ver" from the user settings, "0" when absent); in the site
    // addresses "{domain}" becomes the domain, or "www" without one.
    static std::optional<std::string> getConfigValue(std::string key);
    // Memory only; "Client.ini" is never written.
    static void setConfigValue(std::string key, std::string value);
    static std::optional<std::string> getUserSetValue(std::string key);

    // The boss-key set {key, code, enabled} from the user settings' "hotkey" value; a missing or
    // non-numeric part leaves its field null.
    static rt::Ref<rt::Record> getHotKeySet();
    // Registers (or unregisters) the boss key on the lobby window and stores the set. False when
    // the new key cannot be registered: the stored set stays and its key is registered again.
    static bool setHotKeySet(rt::Value set);

    // Adds a game to the installed list and the user settings; false when it was there already,
    // or, for a finished download, when the game was waiting for an update (it leaves that list).
    static bool addGameToUserSet(std::string name, bool fromDownload = false);
    // Whether the game is installed, ignoring letter case.
    static bool checkIsGameInstall(std::string name);
    // The first game in the "version" folder that is new or changed, or "".
    static std::string checkInstallNewGame();
    // The machine code (machine_code.cpp).
    static std::string getMachineCode();

    // A copy of the installed games, safe to take on any thread.
    static std::vector<std::string> installedGames();

    // Writes "UserSet.ini" from the template and userSets, values escaped, replacing the file
    // atomically.
    static void saveUserSets();
    // The entries of "UserSet.ini"; one that does not parse is renamed aside and gives none.
    static std::map<std::string, std::string> readUserSets();
};

}  // namespace lobby
