#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/msgloop/msgloop.h"
#include "runtime/value.h"

namespace downloadgame {

// One library instance: the lobby's download engine (the handler object, reached only through
// its members by name) and the game lists waiting until the engine has read the server list.
//
// The first request reads the server's versions from the download address ("versions.txt", see
// ServerVersions) and gives them to Main by name; a failed read is logged and tried again with
// the next request (the engine reports the missing versions to the page itself). A request then
// calls the engine's `toDownload`; once the engine's `updateState` reads 2 (server
// list read) it calls `downloadGames` with the names of the request. While the list is being
// read, a message-loop timer looks at `updateState` every kPollMs and gives the waiting lists
// up, with a log line, after kGiveUpTicks looks.
class DownloadSession {
public:
    static constexpr uint32_t kPollMs = 200;
    static constexpr int kGiveUpTicks = 600;

    explicit DownloadSession(rt::Value engine);
    ~DownloadSession();
    DownloadSession(const DownloadSession&) = delete;
    DownloadSession& operator=(const DownloadSession&) = delete;

    // The page's request: `games` names the games separated by ","; `url` and `extra` are only
    // logged (the engine knows its servers).
    void request(const std::string& url, const std::string& games, const std::string& extra);

    // Game names of a request: split at ",", trimmed, empty names dropped.
    static std::vector<std::string> splitGames(const std::string& games);

    // The live sessions by number; a number is never reused.
    static int open(rt::Value engine);
    static bool close(int number);
    static DownloadSession* find(int number);

private:
    static intptr_t windowProc(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam,
                               void* user);
    static void onTimer(int number);
    // Reads the server's versions and hands them to Main; false when that failed.
    bool learnVersions(const std::string& url);
    bool listRead() const;
    bool startWatching();
    void stopWatching();
    // Hands every waiting list to the engine. The session may be closed by the engine meanwhile,
    // so this touches no member once it has started calling.
    static void deliver(rt::Value engine, std::vector<std::vector<std::string>> lists);

    static std::map<int, std::unique_ptr<DownloadSession>>& sessions();

    rt::Value engine_;
    int number_ = 0;
    std::vector<std::vector<std::string>> waiting_;
    ml_hwnd window_ = 0;
    int ticks_ = 0;
    bool versionsKnown_ = false;
};

}  // namespace downloadgame
