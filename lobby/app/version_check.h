#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "lobby/bindings/cef/cef_window.h"
#include "runtime/ref.h"
#include "runtime/thread.h"

namespace lobby {

// The installed-game version check: once per run a thread of its own asks the version servers
// for each installed game's version text and lists the games whose local version file differs.
//
// The thread works on copies: it reads the server list, the current server and the query once
// when its start message arrives, and keeps what it finds to itself. When it is through every
// game it hands its findings to the UI thread as one task posted through the lobby window; the
// task records them and sets isUpdateModulesInit last. Every field below except
// isUpdateChecking is therefore the UI thread's alone.
class VersionCheck {
public:
    // Version-server list as configured ("ver_url").
    std::optional<std::string> updateServerUrl;
    // Configured servers first, then the built-in ones.
    std::vector<std::string> serverUrls;
    // The server in use; it persists from one game to the next.
    int32_t currentServerIndex = 0;
    std::string currentServerUrl;
    // Cache-breaking query appended to version and download requests.
    std::string httpEtag;
    // Game name to the text of its local version file.
    std::map<std::string, std::string> updateVersion;
    // Games whose local version differs from the server's.
    std::vector<std::string> updateModules;
    // Set once the check's findings have reached the UI thread.
    bool isUpdateModulesInit = false;
    // Set by the check thread when it begins; a second check returns at once.
    std::atomic<bool> isUpdateChecking{false};
    rt::Ref<rt::Thread> thread;

    // The configured servers split at "|" (empty parts kept), then the built-in ones; the first
    // becomes the current server.
    void makeServerList(std::optional<std::string> configured);
    // Makes the check thread and sends it its start message.
    void start();
    // The check thread's body: waits for the start message, then checks every installed game.
    void run();
    // Whether the game needs an update: false until the findings have arrived, then whether
    // the list holds the name, compared without regard to letter case.
    bool isGameNeedUpdate(const std::optional<std::string>& name) const;
    // The window the findings are posted through. Called on the UI thread once the window has
    // its native handle; findings that are already waiting are posted at once.
    void deliverThrough(const rt::Ref<cef::CefWindow>& window);

private:
    struct Findings {
        std::map<std::string, std::string> versions;
        std::vector<std::string> modules;
        int32_t serverIndex = 0;
        std::string serverUrl;
    };

    void handOver(Findings findings);
    void post(const rt::Ref<cef::CefWindow>& window, Findings findings);
    void adopt(const Findings& findings);

    // Guards the meeting point of the check thread and the UI thread.
    std::mutex handOverMutex_;
    std::optional<Findings> waiting_;
    rt::WeakRef<cef::CefWindow> window_;
};

// The version check of the running application.
VersionCheck& versionCheck();

}  // namespace lobby
