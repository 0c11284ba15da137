// Plays a script's steps against the test host, one at a time, from the message loop: a step
// that cannot complete yet (its window is missing, its expected line has not been recorded) is
// tried again a few milliseconds later until its time is up. The outcome goes into the record:
// "step <line> done" for each step done (the source is not repeated, so an
// expected text never matches the step that expects it), "script done" at the end, or
// "FAIL script line <n>: <source>: <why>", after which the host quits.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/testhost/script.h"

namespace testhost {

class TestHost;

class ScriptPlayer {
public:
    ScriptPlayer(TestHost& host, std::vector<Step> steps, uint32_t stepTimeoutMs);
    ScriptPlayer(const ScriptPlayer&) = delete;
    ScriptPlayer& operator=(const ScriptPlayer&) = delete;

    // Starts playing on the loop.
    void start();
    // Plays on from the step it stopped at; the loop calls it through a task.
    void poll();
    bool finished() const { return next_ >= steps_.size() || failed_; }
    bool failed() const { return failed_; }

private:
    static void onPoll(void* generation);
    void schedule(uint32_t delayMs);
    // True when the step is done; false to try again later. Throws when it cannot succeed.
    morvick::Expected<bool> play(const Step& step);
    void fail(const Step& step, const std::string& why);

    TestHost& host_;
    std::vector<Step> steps_;
    uint32_t stepTimeoutMs_;
    size_t next_ = 0;
    size_t cursor_ = 0;
    uint64_t stepStartMs_ = 0;
    bool failed_ = false;
    // A poll task the loop still holds for an earlier player finds a different number here.
    uintptr_t generation_;
};

}  // namespace testhost
