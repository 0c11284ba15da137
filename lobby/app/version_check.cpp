#include "lobby/app/version_check.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "lobby/app/config.h"
#include "lobby/app/install_paths.h"
#include "lobby/app/version_servers.h"
#include "lobby/bindings/cef/cef_app.h"
#include "lobby/bindings/cef/task.h"
#include "runtime/create.h"
#include "runtime/file.h"
#include "runtime/file_system.h"
#include "runtime/function.h"
#include "runtime/http.h"
#include "runtime/strings.h"
#include "runtime/trace.h"

namespace lobby {
namespace {

// What the check thread works with, copied once when its start message arrives.
struct Round {
    std::vector<std::string> servers;
    int32_t index = 0;
    std::string url;
    std::string etag;
    std::string versionFolder;
};

// Asks the servers, from the current one on, for the version text of one game; answers the
// text when a server gave one. The current server stays where the answer came from.
std::optional<std::string> fetchVersion(Round& round, const std::string& name) {
    std::string url = round.url + cef::CefApp::unicode2Ansi(name).value_or("") + ".v" + round.etag;
    for (;;) {
        std::optional<std::string> body;
        std::string error;
        rt::Http http(url);
        http.setHeader("Range", "bytes=0-");
        http.setHeader("Cache-Control", "no-cache");
        http.onData = [&](const std::string& data) { body = data; };
        http.onError = [&](const std::string& message) { error = message; };
        http.request();
        RT_TRACE(name + "  " + (body ? *body : error) + " " + round.url);
        if (body) {
            const std::string lower = rt::toLower(*body);
            const bool page =
                lower.find("html") != std::string::npos || lower.find("body") != std::string::npos;
            if (!page) return body;
        }
        const int32_t last = static_cast<int32_t>(round.servers.size()) - 1;
        if (round.index >= last) return std::nullopt;
        ++round.index;
        round.url = round.servers[static_cast<size_t>(round.index)];
        url = round.url + name + ".v" + round.etag;
    }
}

void addOnce(std::vector<std::string>& list, const std::string& name) {
    if (std::find(list.begin(), list.end(), name) == list.end()) list.push_back(name);
}

}  // namespace

void VersionCheck::makeServerList(std::optional<std::string> configured) {
    updateServerUrl = std::move(configured);
    serverUrls.clear();
    if (updateServerUrl) serverUrls = rt::split(*updateServerUrl, "|");
    for (const std::string& server : builtInVersionServers()) serverUrls.push_back(server);
    currentServerIndex = 0;
    currentServerUrl = serverUrls.front();
}

void VersionCheck::start() {
    thread = rt::Thread::create([this] { run(); });
    thread->sendMessage(false);
}

void VersionCheck::run() {
    if (isUpdateChecking.load(std::memory_order_acquire)) return;
    rt::Thread::readMessage(true);
    isUpdateChecking.store(true, std::memory_order_release);
    // The UI thread set these before it sent the start message and leaves them alone while the
    // check runs.
    Round round{serverUrls, currentServerIndex, currentServerUrl, httpEtag,
                installPaths().appPath + "version/"};
    // A copy taken under the list's lock: the UI thread may add games meanwhile.
    const std::vector<std::string> games = Config::installedGames();
    Findings findings;
    int failed = 0;
    for (const std::string& name : games) {
        if (failed >= 1 && !round.servers.empty()) {
            round.index = 0;
            round.url = round.servers.front();
        }
        const std::optional<std::string> version = fetchVersion(round, name);
        if (!version) {
            ++failed;
            continue;
        }
        failed = 0;
        const std::string local = round.versionFolder + name + ".v";
        if (rt::FileSystem::exists(local)) {
            std::string text = rt::File::getContent(local);
            const bool same = *version == text;
            findings.versions[name] = std::move(text);
            if (same) continue;
        }
        addOnce(findings.modules, name);
    }
    findings.serverIndex = round.index;
    findings.serverUrl = round.url;
    handOver(std::move(findings));
}

bool VersionCheck::isGameNeedUpdate(const std::optional<std::string>& name) const {
    if (!isUpdateModulesInit) return false;
    const std::string wanted = rt::toLower(name.value_or(""));
    return std::any_of(updateModules.begin(), updateModules.end(),
                       [&](const std::string& n) { return rt::toLower(n) == wanted; });
}

void VersionCheck::deliverThrough(const rt::Ref<cef::CefWindow>& window) {
    std::optional<Findings> ready;
    {
        std::lock_guard<std::mutex> lock(handOverMutex_);
        window_ = window;
        ready = std::exchange(waiting_, std::nullopt);
    }
    if (ready) post(window, std::move(*ready));
}

// Runs on the check thread: posts the findings when the UI thread has named a window to post
// through, else leaves them for deliverThrough.
void VersionCheck::handOver(Findings findings) {
    rt::Ref<cef::CefWindow> window;
    {
        std::lock_guard<std::mutex> lock(handOverMutex_);
        window = window_.lock();
        if (!window) {
            waiting_ = std::move(findings);
            return;
        }
    }
    post(window, std::move(findings));
}

void VersionCheck::post(const rt::Ref<cef::CefWindow>& window, Findings findings) {
    auto carried = std::make_shared<const Findings>(std::move(findings));
    rt::Value call =
        rt::Function::of("VersionCheck.adopt", [this, carried](std::span<const rt::Value>) {
            adopt(*carried);
            return rt::Value();
        });
    window->runTask(rt::create<cef::Task>(call, rt::Value()), 0);
}

// Runs on the UI thread, as the posted task.
void VersionCheck::adopt(const Findings& findings) {
    for (const auto& [name, text] : findings.versions) updateVersion[name] = text;
    for (const std::string& name : findings.modules) addOnce(updateModules, name);
    currentServerIndex = findings.serverIndex;
    currentServerUrl = findings.serverUrl;
    isUpdateModulesInit = true;
}

}  // namespace lobby
