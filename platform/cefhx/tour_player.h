// Plays a scripted tour against the program's windows on the host's loop thread: waits for
// windows and page states, clicks and fills page elements, saves screenshots, and logs each step.
// Nothing here blocks the loop: page commands go out with their replies handled as they come, and
// polling and pauses run on timers of the player's own loop window.
#pragma once

#include <json/json.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "platform/cefhx/tour_script.h"
#include "platform/msgloop/msgloop.h"

namespace cefhx {

class BrowserHost;
class HostWindow;

struct TourSettings {
    std::string file;           // CEFHX_TOUR; empty: no tour
    std::string shotsDir;       // CEFHX_SHOTS, default "shots"
    std::string logPath;        // CEFHX_TOUR_LOG; empty: standard error
    int stepTimeoutMs = 30000;  // CEFHX_TOUR_STEP_TIMEOUT_MS
    std::string error;          // a variable that could not be read, with its value

    static TourSettings fromEnvironment();
};

class TourPlayer : public std::enable_shared_from_this<TourPlayer> {
public:
    enum class State { Running, Done, Failed, Stopped };

    // Reads and parses the tour file and starts its first step. onFail runs once when the tour
    // fails (the host ends its loop there); a file that cannot be read or parsed fails at once.
    static std::shared_ptr<TourPlayer> start(BrowserHost& host, TourSettings settings,
                                             std::function<void()> onFail);
    ~TourPlayer();
    TourPlayer(const TourPlayer&) = delete;
    TourPlayer& operator=(const TourPlayer&) = delete;

    // The program's loop has ended: a tour still playing stops where it is and says so.
    void stop();
    State state() const { return state_; }

    static constexpr int kPollMs = 100;
    // How long a stop waits for the answer to the command of the step being played.
    static constexpr int kLastAnswerMs = 1000;

private:
    TourPlayer(BrowserHost& host, TourSettings settings, std::function<void()> onFail);
    static intptr_t windowProc(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam,
                               void* user);
    void load();
    void beginStep();
    void finishStep();
    void fail(const std::string& why);
    void fail(int line, const std::string& text, const std::string& why);
    void onTick();
    void attempt();
    // Sends one page command for the current step; the reply reaches `done` only while that
    // step is still being played.
    void sendForStep(HostWindow& w, const std::string& method, const Json::Value& params,
                     std::function<void(const Json::Value&, const std::string&)> done);
    void onEvaluated(const Json::Value& result, const std::string& error);
    void onCaptured(const Json::Value& result, const std::string& error);
    std::string timeoutReason() const;
    void log(const std::string& line);
    const TourStep& step() const { return script_.steps[index_]; }

    BrowserHost& host_;
    TourSettings settings_;
    std::function<void()> onFail_;
    FILE* log_ = stderr;
    bool ownsLog_ = false;
    ml_hwnd timerWindow_ = 0;
    TourScript script_;
    State state_ = State::Running;
    size_t index_ = 0;
    uint64_t deadline_ = 0;
    // A page command of the current step is out; its number tells a late reply from a stale one.
    bool busy_ = false;
    // The program's loop has ended: the step being played may still finish, no other starts.
    bool stopping_ = false;
    uint64_t attempt_ = 0;
    // What the step waits for now, and the last evaluation error, for the timeout message.
    std::string awaiting_;
    std::string lastError_;
};

}  // namespace cefhx
