// The installed-game version check: once per run, a thread asks the version servers for each
// installed game's version text and lists the games whose local version file differs.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "lobby/app/config.h"
#include "lobby/app/main.h"
#include "lobby/bindings/cef/cef_app.h"
#include "runtime/file.h"
#include "runtime/file_system.h"
#include "runtime/http.h"
#include "runtime/strings.h"
#include "runtime/thread.h"
#include "runtime/trace.h"

namespace lobby {
namespace {

// Asks the servers, from the current one on, for the version text of one game; answers
// whether a server answered with one. The current server stays where the answer came from.
std::optional<std::string> fetchVersion(const std::string& name) {
    const std::vector<std::string>& servers = Main::update_ServerUrls_arr;
    std::string url = Main::curUpdateServerUrl + cef::CefApp::unicode2Ansi(name).value_or("") +
                      ".v" + Main::httpEtag;
    for (;;) {
        std::optional<std::string> body;
        std::string error;
        rt::Http http(url);
        http.setHeader("Range", "bytes=0-");
        http.setHeader("Cache-Control", "no-cache");
        http.onData = [&](const std::string& data) { body = data; };
        http.onError = [&](const std::string& message) { error = message; };
        http.request();
        RT_TRACE(name + "  " + (body ? *body : error) + " " + Main::curUpdateServerUrl);
        if (body) {
            std::string lower = rt::toLower(*body);
            bool page =
                lower.find("html") != std::string::npos || lower.find("body") != std::string::npos;
            if (!page) return body;
        }
        int32_t last = static_cast<int32_t>(servers.size()) - 1;
        if (Main::curUpdateServerInx >= last) return std::nullopt;
        ++Main::curUpdateServerInx;
        Main::curUpdateServerUrl = servers[static_cast<size_t>(Main::curUpdateServerInx)];
        url = Main::curUpdateServerUrl + name + ".v" + Main::httpEtag;
    }
}

}  // namespace

void Main::checkUpdate() {
    if (isUpdateChecking.load(std::memory_order_acquire)) return;
    rt::Thread::readMessage(true);
    isUpdateChecking.store(true, std::memory_order_release);
    int failed = 0;
    // A copy taken under the list's lock: the UI thread may add games meanwhile.
    const std::vector<std::string> games = Config::installedGames();
    for (const std::string& name : games) {
        if (failed >= 1 && !update_ServerUrls_arr.empty()) {
            curUpdateServerInx = 0;
            curUpdateServerUrl = update_ServerUrls_arr.front();
        }
        std::optional<std::string> version = fetchVersion(name);
        if (!version) {
            ++failed;
            continue;
        }
        failed = 0;
        std::string local = appPath + "version/" + name + ".v";
        if (rt::FileSystem::exists(local)) {
            std::string text = rt::File::getContent(local);
            updateVersion[name] = text;
            if (*version == text) continue;
        }
        if (std::find(updateModules.begin(), updateModules.end(), name) == updateModules.end()) {
            updateModules.push_back(name);
        }
    }
    isUpdateModulesInit.store(true, std::memory_order_release);
}

bool Main::isGameNeedUpdate(std::optional<std::string> name) {
    if (!isUpdateModulesInit.load(std::memory_order_acquire)) return false;
    std::string wanted = rt::toLower(name.value_or(""));
    return std::any_of(updateModules.begin(), updateModules.end(),
                       [&](const std::string& n) { return rt::toLower(n) == wanted; });
}

}  // namespace lobby
