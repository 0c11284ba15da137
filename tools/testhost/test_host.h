// The test-only browser host: the program's windows are message-loop windows with no browser
// behind them. The host answers the ready callback, creates windows and raises their
// "onAfterCreated", keeps their properties, delivers system messages, plays a script of page
// calls and records everything (record.h). Built for tests, never shipped.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/cefhx/host_window.h"
#include "platform/cefhx/single_instance.h"
#include "platform/msgloop/msgloop.h"
#include "runtime/value.h"
#include "tools/testhost/script_player.h"

namespace testhost {

using cefhx::HostWindow;

// Settings from the environment:
//   TESTHOST_RECORD           the record file (appended)
//   TESTHOST_SCRIPT           the script file to play once the ready callback has run
//   TESTHOST_STEP_TIMEOUT_MS  how long a step may wait (default 20000)
//   TESTHOST_INSTANCE_TAG     appended to single-instance names, so tests running side by side
//                             do not see each other's copies
class TestHost {
public:
    static TestHost& instance();

    // The loop on the calling thread, started when nothing started one yet.
    bool ensureLoop();

    void runMain(const rt::Value& ready);
    void requestQuit();
    bool quitRequested() const { return quitRequested_; }
    bool running() const { return running_; }

    rt::Value createWindow(int width, int height, int flags, const rt::Value& object,
                           const rt::Value& browser);
    std::shared_ptr<HostWindow> window(const rt::Value& handle) const;
    std::shared_ptr<HostWindow> windowByHwnd(ml_hwnd hwnd) const;
    // The oldest live window of the label.
    std::shared_ptr<HostWindow> windowByLabel(const std::string& label) const;
    std::string label(const HostWindow& w) const;
    std::string labelOf(const rt::Value& handle) const;

    bool closeWindow(const std::shared_ptr<HostWindow>& w);
    void destroyWindow(const std::shared_ptr<HostWindow>& w);
    void setProperty(const std::shared_ptr<HostWindow>& w, cefhx::WindowProperty id,
                     const rt::Value& v);

    // Any thread: raises "on_task" with the delay on the window after the delay.
    static bool postTask(ml_hwnd hwnd, const rt::Value& delay);

    bool claimInstance(const std::string& name);

    // What the page answers to the function or script text `name`; null when nothing was set.
    rt::Value pageAnswer(const std::string& name) const;
    void setPageAnswer(const std::string& name, const rt::Value& v);

    // The script being played, when there is one.
    ScriptPlayer* player() { return player_ ? &*player_ : nullptr; }

private:
    TestHost() = default;
    static intptr_t windowProc(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam,
                               void* user);
    intptr_t handleMessage(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam);
    void startScript();
    void shutdown();
    std::vector<std::shared_ptr<HostWindow>> windows() const;

    std::map<ml_hwnd, std::shared_ptr<HostWindow>> windows_;
    std::map<ml_hwnd, std::string> labels_;
    std::map<std::string, rt::Value> pageAnswers_;
    cefhx::SingleInstance instance_;
    std::optional<ScriptPlayer> player_;
    bool quitRequested_ = false;
    bool running_ = false;
};

}  // namespace testhost
