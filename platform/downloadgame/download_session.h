#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/downloadgame/server_versions.h"
#include "platform/msgloop/msgloop.h"
#include "platform/shared/no_copy.h"
#include "runtime/value.h"

namespace downloadgame {

// One library instance: the lobby's download engine (the handler object, reached only through
// its members by name) and the requests waiting for the server's versions or for the engine's
// server list.
//
// Until the server's versions are known, a request waits while a thread of its own reads them
// from the download address ("versions.txt", see ServerVersions), so the loop never waits for
// the network. The loop then gives them to Main by name; a failed read is logged and the next
// request reads again (the engine reports missing versions itself). A request then calls the
// engine's
// `toDownload`; once the engine's `updateState` reads 2 (server list read) it calls
// `downloadGames` with the names of the request. While the list is being read, a message-loop
// timer looks at `updateState` every kPollMs; after kGiveUpTicks looks since the last request
// the waiting requests are dropped. The page hears of every dropped game through the engine's
// `onDownloadError`.
class DownloadSession : private morvick::NoCopy {
public:
    static constexpr uint32_t kPollMs = 200;
    static constexpr int kGiveUpTicks = 600;

    explicit DownloadSession(rt::Value engine);
    ~DownloadSession();

    // The page's request: `games` names the games separated by ","; `url` is the download
    // address the versions are read from, `extra` is only logged.
    void request(const std::string& url, const std::string& games, const std::string& extra);

    // Game names of a request: split at ",", trimmed, empty names dropped.
    static std::vector<std::string> splitGames(const std::string& games);

    // The live sessions by number; a number is never reused.
    static int open(rt::Value engine);
    static bool close(int number);
    static DownloadSession* find(int number);

private:
    struct Request {
        std::string games;
        std::vector<std::string> names;
    };
    // What the versions thread hands back to the loop.
    struct VersionsRead {
        int number = 0;
        std::string url;
        morvick::Expected<ServerVersions> versions = morvick::fail("not read");
    };

    static intptr_t windowProc(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam,
                               void* user);
    static void onTimer(int number);
    // Reads the versions on a thread of its own; false (and a log line) when it cannot start.
    bool startReadingVersions(const std::string& url);
    static void onVersionsRead(void* read);
    // Hands a request to the engine.
    static void proceed(int number, const Request& request);
    bool listRead() const;
    bool startWatching();
    void stopWatching();
    // Hands every waiting list to the engine. The session may be closed by the engine meanwhile,
    // so this touches no member once it has started calling.
    static void deliver(rt::Value engine, std::vector<std::vector<std::string>> lists);
    // Tells the page through the engine that the games' requests were dropped, and why.
    static void drop(rt::Value engine, const std::vector<std::string>& names,
                     const std::string& reason);
    static std::map<int, std::unique_ptr<DownloadSession>>& sessions();

    enum class Versions { Unknown, Reading, Known };

    rt::Value engine_;
    int number_ = 0;
    Versions versions_ = Versions::Unknown;
    std::vector<Request> beforeVersions_;
    std::vector<std::vector<std::string>> waiting_;
    ml_hwnd window_ = 0;
    int ticks_ = 0;
};

}  // namespace downloadgame
