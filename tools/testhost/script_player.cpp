#include "tools/testhost/script_player.h"

#include <exception>
#include <stdexcept>

#include "platform/cefhx/window_messages.h"
#include "platform/msgloop/msgloop.h"
#include "tools/testhost/record.h"
#include "tools/testhost/test_host.h"

namespace testhost {
namespace {

constexpr uint32_t kPollMs = 5;

uintptr_t nextGeneration() {
    static uintptr_t counter = 0;
    return ++counter;
}

}  // namespace

ScriptPlayer::ScriptPlayer(TestHost& host, std::vector<Step> steps, uint32_t stepTimeoutMs)
    : host_(host),
      steps_(std::move(steps)),
      stepTimeoutMs_(stepTimeoutMs),
      generation_(nextGeneration()) {}

void ScriptPlayer::start() {
    stepStartMs_ = ml_clock_now_ms();
    schedule(0);
}

void ScriptPlayer::schedule(uint32_t delayMs) {
    ml_post_task(&ScriptPlayer::onPoll, reinterpret_cast<void*>(generation_), delayMs);
}

void ScriptPlayer::onPoll(void* generation) {
    ScriptPlayer* player = TestHost::instance().player();
    if (player && player->generation_ == reinterpret_cast<uintptr_t>(generation)) player->poll();
}

void ScriptPlayer::poll() {
    while (!finished() && !host_.quitRequested()) {
        const Step& step = steps_[next_];
        bool done = false;
        try {
            morvick::Expected<bool> played = play(step);
            if (!played) {
                fail(step, played.error());
                return;
            }
            done = *played;
        } catch (const std::exception& e) {
            fail(step, e.what());
            return;
        }
        if (!done) {
            if (ml_clock_now_ms() - stepStartMs_ > stepTimeoutMs_) {
                fail(step, "timed out after " + std::to_string(stepTimeoutMs_) + " ms");
                return;
            }
            schedule(kPollMs);
            return;
        }
        Record::instance().write("step", "", std::to_string(step.line) + " done");
        ++next_;
        stepStartMs_ = ml_clock_now_ms();
        // A step's effects (posted messages, tasks) come before the next step looks.
        if (!finished()) {
            schedule(0);
            return;
        }
    }
    if (finished() && !failed_) Record::instance().write("script", "", "done");
}

namespace {

// A step that posts to its window is done once the message is out.
morvick::Expected<bool> posted(int status) {
    if (status != ML_OK) {
        return morvick::fail(std::string("cannot post to the window: ") + ml_last_error());
    }
    return true;
}

}  // namespace

void ScriptPlayer::fail(const Step& step, const std::string& why) {
    failed_ = true;
    Record::instance().write(
        "FAIL", "", "script line " + std::to_string(step.line) + ": " + step.source + ": " + why);
    host_.requestQuit();
}

morvick::Expected<bool> ScriptPlayer::play(const Step& step) {
    std::shared_ptr<HostWindow> w;
    if (!step.window.empty()) {
        w = host_.windowByLabel(step.window);
        if (!w || !w->browserReady) return false;
    }
    switch (step.kind) {
        case StepKind::Call: {
            rt::Value answer = w->callMember("on_jscall", {rt::Value(step.name), step.value});
            Record::instance().write(
                "call", step.window,
                step.name + " " + describe(step.value) + " -> " + describe(answer));
            return true;
        }
        case StepKind::Expect: {
            std::optional<size_t> at = Record::instance().find(step.text, cursor_);
            if (!at) return false;
            cursor_ = *at + 1;
            return true;
        }
        case StepKind::Answer:
            host_.setPageAnswer(step.name, step.value);
            return true;
        case StepKind::Tray:
            return posted(ml_post(w->hwnd(), cefhx::kTrayMessage, 1, step.number));
        case StepKind::NewApp:
            return posted(ml_post(w->hwnd(), cefhx::kNewAppMessage, 0, 0));
        case StepKind::Close:
            host_.closeWindow(w);
            return true;
        case StepKind::Mark:
            Record::instance().write("mark", "", step.text);
            return true;
        case StepKind::Quit:
            host_.requestQuit();
            return true;
    }
    return true;
}

}  // namespace testhost
