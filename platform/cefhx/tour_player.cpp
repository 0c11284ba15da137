#include "platform/cefhx/tour_player.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/cefhx/base64.h"
#include "platform/cefhx/browser_host.h"
#include "platform/cefhx/host_dialogs.h"
#include "platform/cefhx/json_fields.h"
#include "platform/cefhx/window_messages.h"
#include "runtime/file.h"

namespace cefhx {
namespace {

namespace fs = std::filesystem;

constexpr uintptr_t kTickTimer = 1;
constexpr uintptr_t kPauseTimer = 2;

std::string envText(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// A text as a JavaScript string literal.
std::string jsString(const std::string& text) {
    return toJsonText(Json::Value(text));
}

// Finds the element or answers false; a selector the page cannot read answers its error text.
std::string elementScript(const std::string& selector, const std::string& action) {
    return "(() => { let e; try { e = document.querySelector(" + jsString(selector) +
           "); } catch (x) { return 'bad selector: ' + x.message; } if (!e) return false; " +
           action + " return true; })()";
}

// Clicks the menu item or box button labelled `choice` (a menu item also by its id), or
// answers false while there is none.
std::string choiceScript(const std::string& choice) {
    return "(() => { const want = " + jsString(choice) +
           "; const e = Array.from(document.querySelectorAll('.item, #buttons button')).find("
           "(x) => x.textContent === want || x.dataset.id === want); if (!e) return false; "
           "e.click(); return true; })()";
}

// JavaScript's truthiness of an evaluation's result (a RemoteObject returned by value).
bool truthy(const Json::Value& remote) {
    const std::string type = optionalText(remote, "type");
    const Json::Value& value = anyField(remote, "value");
    if (type == "undefined") return false;
    if (type == "boolean") return value.isBool() && value.asBool();
    if (type == "string") return value.isString() && !value.asString().empty();
    if (type == "number" || type == "bigint") {
        if (!anyField(remote, "unserializableValue").isNull()) {
            const std::string v = optionalText(remote, "unserializableValue");
            return v != "NaN" && v != "-0" && v != "0n";
        }
        return value.isNumeric() && value.asDouble() != 0;
    }
    if (type == "object") return optionalText(remote, "subtype") != "null";
    return true;
}

// Chromium's answer when a result cannot be returned by value.
bool uncopyableObject(const std::string& error) {
    return error.find("Object reference chain is too long") != std::string::npos ||
           error.find("Object couldn't be returned by value") != std::string::npos;
}

std::string exceptionText(const Json::Value& details) {
    std::string text = optionalText(optionalObject(details, "exception"), "description");
    if (text.empty()) text = optionalText(details, "text");
    return text.substr(0, text.find('\n'));
}

// Writes the file through a new file beside it, so nobody sees half a picture; answers the
// error text, or empty.
std::string writeAtomically(const fs::path& path, const std::string& data) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    if (ec) return "cannot create the folder " + path.parent_path().string() + ": " + ec.message();
    try {
        rt::File::replaceContent(path.string(), data);
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

// The program window a step names: the newest (handles come from a rising counter) whose page
// session is set up and whose main frame has left the blank start page.
std::shared_ptr<HostWindow> findWindow(BrowserHost& host, const std::string& label) {
    std::shared_ptr<HostWindow> found;
    for (const auto& w : host.windows()) {
        if (w->destroying || !w->browserReady || w->sessionId.empty()) continue;
        if (windowLabel(w->startUrl) != label) continue;
        FrameInfo* main = w->mainFrame();
        if (!main || main->url.empty() || main->url == "about:blank") continue;
        if (!found || w->hwnd() > found->hwnd()) found = w;
    }
    return found;
}

}  // namespace

TourSettings TourSettings::fromEnvironment() {
    TourSettings s;
    s.file = envText("CEFHX_TOUR");
    s.shotsDir = envText("CEFHX_SHOTS");
    if (s.shotsDir.empty()) s.shotsDir = "shots";
    s.logPath = envText("CEFHX_TOUR_LOG");
    if (std::string t = envText("CEFHX_TOUR_STEP_TIMEOUT_MS"); !t.empty()) {
        int ms = 0;
        auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), ms);
        if (ec != std::errc() || end != t.data() + t.size() || ms <= 0) {
            s.error = "CEFHX_TOUR_STEP_TIMEOUT_MS=" + t + ": not a positive number of milliseconds";
        } else {
            s.stepTimeoutMs = ms;
        }
    }
    return s;
}

TourPlayer::TourPlayer(BrowserHost& host, TourSettings settings, std::function<void()> onFail)
    : host_(host), settings_(std::move(settings)), onFail_(std::move(onFail)) {}

TourPlayer::~TourPlayer() {
    if (timerWindow_) ml_destroy_window(timerWindow_);
    if (ownsLog_) std::fclose(log_);
}

std::shared_ptr<TourPlayer> TourPlayer::start(BrowserHost& host, TourSettings settings,
                                              std::function<void()> onFail) {
    std::shared_ptr<TourPlayer> player(
        new TourPlayer(host, std::move(settings), std::move(onFail)));
    player->load();
    return player;
}

void TourPlayer::load() {
    const TourSettings& s = settings_;
    if (!s.logPath.empty()) {
        FILE* f = std::fopen(s.logPath.c_str(), "a");
        if (!f) {
            std::string why = std::strerror(errno);
            fail(0, "CEFHX_TOUR_LOG=" + s.logPath, "cannot open the log: " + why);
            return;
        }
        log_ = f;
        ownsLog_ = true;
    }
    log("tour start " + s.file);
    if (!s.error.empty()) return fail(0, s.file, s.error);
    if (ml_create_window(&TourPlayer::windowProc, this, &timerWindow_) != ML_OK) {
        return fail(0, s.file,
                    std::string("cannot make the player's loop window: ") + ml_last_error());
    }
    std::ifstream in(s.file, std::ios::binary);
    if (!in.is_open()) {
        std::string why = std::strerror(errno);
        return fail(0, s.file, "cannot open the tour file: " + why);
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return fail(0, s.file, "cannot read the tour file");
    script_ = parseTour(text.str());
    if (!script_.ok()) return fail(script_.errorLine, script_.errorText, script_.error);
    beginStep();
}

intptr_t TourPlayer::windowProc(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam,
                                void* user) {
    auto* player = static_cast<TourPlayer*>(user);
    if (msg != ML_WM_TIMER) return ml_default_proc(hwnd, msg, wparam, lparam);
    if (wparam == kPauseTimer) {
        ml_kill_timer(hwnd, kPauseTimer);
        if (player->state_ == State::Running) player->finishStep();
    } else if (wparam == kTickTimer) {
        player->onTick();
    }
    return 0;
}

void TourPlayer::beginStep() {
    if (index_ == script_.steps.size()) {
        state_ = State::Done;
        log("tour done");
        return;
    }
    deadline_ = ml_clock_now_ms() + static_cast<uint64_t>(settings_.stepTimeoutMs);
    busy_ = false;
    awaiting_.clear();
    lastError_.clear();
    if (step().kind == TourStepKind::Pause) {
        ml_set_timer(timerWindow_, kPauseTimer, std::max(1u, step().pauseMs));
        return;
    }
    ml_set_timer(timerWindow_, kTickTimer, kPollMs);
    attempt();
}

void TourPlayer::finishStep() {
    ml_kill_timer(timerWindow_, kTickTimer);
    log("tour step " + std::to_string(step().line) + " done: " + step().text);
    ++index_;
    if (stopping_ && index_ < script_.steps.size()) return;
    beginStep();
}

void TourPlayer::fail(const std::string& why) {
    fail(step().line, step().text, why);
}

void TourPlayer::fail(int line, const std::string& text, const std::string& why) {
    state_ = State::Failed;
    if (timerWindow_) {
        ml_kill_timer(timerWindow_, kTickTimer);
        ml_kill_timer(timerWindow_, kPauseTimer);
    }
    log("tour FAIL line " + std::to_string(line) + ": " + text + ": " + why);
    if (onFail_ && !stopping_) onFail_();
}

void TourPlayer::stop() {
    if (state_ != State::Running) return;
    // The step whose page command is out may be what made the program quit (a click on the
    // page's quit button); its answer is already on its way, so it gets a moment to count.
    if (busy_ && host_.started()) {
        stopping_ = true;
        ml_wait([](void* p) { return static_cast<TourPlayer*>(p)->busy_ ? 0 : 1; }, this,
                kLastAnswerMs);
        if (state_ != State::Running) return;
    }
    state_ = State::Stopped;
    if (timerWindow_) {
        ml_kill_timer(timerWindow_, kTickTimer);
        ml_kill_timer(timerWindow_, kPauseTimer);
    }
    log("tour ended early at line " + std::to_string(step().line));
}

void TourPlayer::onTick() {
    if (state_ != State::Running) return;
    if (ml_clock_now_ms() >= deadline_) return fail(timeoutReason());
    if (!busy_) attempt();
}

std::string TourPlayer::timeoutReason() const {
    std::string why = "timed out after " + std::to_string(settings_.stepTimeoutMs) +
                      " ms waiting for " + awaiting_;
    if (!lastError_.empty()) why += " (last error: " + lastError_ + ")";
    return why;
}

void TourPlayer::attempt() {
    const TourStep& s = step();
    const bool dialogStep = s.kind == TourStepKind::Menu || s.kind == TourStepKind::Box;
    // Without a desktop the host shows no boxes or menus: syslite answers them from its answers
    // file, and these steps have nothing to act on.
    if (dialogStep && !HostDialogs::attached()) return finishStep();
    const std::string label = !dialogStep                    ? s.window
                              : s.kind == TourStepKind::Menu ? HostDialogs::kMenuLabel
                                                             : HostDialogs::kBoxLabel;
    std::shared_ptr<HostWindow> w = findWindow(host_, label);
    if (!w) {
        awaiting_ = dialogStep ? std::string(s.kind == TourStepKind::Menu ? "a menu" : "a box")
                               : "window \"" + label + "\"";
        return;
    }
    auto evaluate = [&](const std::string& expression) {
        Json::Value params(Json::objectValue);
        params["expression"] = expression;
        params["returnByValue"] = true;
        sendForStep(*w, "Runtime.evaluate", params,
                    [this](const Json::Value& r, const std::string& e) { onEvaluated(r, e); });
    };
    switch (s.kind) {
        case TourStepKind::Wait:
            awaiting_ = "\"" + s.target + "\" to be true in \"" + s.window + "\"";
            evaluate(s.target);
            break;
        case TourStepKind::Click:
            awaiting_ = "element \"" + s.target + "\" in \"" + s.window + "\"";
            evaluate(elementScript(s.target, "e.click();"));
            break;
        case TourStepKind::Fill:
            awaiting_ = "element \"" + s.target + "\" in \"" + s.window + "\"";
            evaluate(elementScript(
                s.target, "e.value = " + jsString(s.value) +
                              "; e.dispatchEvent(new Event('input', { bubbles: true }));"
                              " e.dispatchEvent(new Event('change', { bubbles: true }));"));
            break;
        case TourStepKind::Shot: {
            awaiting_ = "a screenshot of \"" + s.window + "\"";
            Json::Value params(Json::objectValue);
            params["format"] = "png";
            sendForStep(*w, "Page.captureScreenshot", params,
                        [this](const Json::Value& r, const std::string& e) { onCaptured(r, e); });
            break;
        }
        case TourStepKind::Tray:
            // As the tray icon reports a click to its owner (the icon's number is unknown here).
            ml_post(w->hwnd(), kTrayMessage, 0, s.mouseMessage);
            finishStep();
            break;
        case TourStepKind::Menu:
        case TourStepKind::Box:
            awaiting_ = std::string(s.kind == TourStepKind::Menu ? "item" : "button") + " \"" +
                        s.target + "\" in " + label;
            evaluate(choiceScript(s.target));
            break;
        case TourStepKind::Pause:
            break;
    }
}

void TourPlayer::sendForStep(HostWindow& w, const std::string& method, const Json::Value& params,
                             std::function<void(const Json::Value&, const std::string&)> done) {
    uint64_t number = ++attempt_;
    std::weak_ptr<TourPlayer> weak = weak_from_this();
    busy_ = host_.sendToPage(
        w, method, params, [weak, number, done](const Json::Value& r, const std::string& e) {
            std::shared_ptr<TourPlayer> self = weak.lock();
            if (!self || self->state_ != State::Running || number != self->attempt_) {
                return;
            }
            self->busy_ = false;
            done(r, e);
        });
    if (!busy_) lastError_ = method + " could not be sent: the window has no page";
}

void TourPlayer::onEvaluated(const Json::Value& result, const std::string& error) {
    if (!error.empty()) {
        // The expression ran and gave an object too large or cyclic to copy (`window`): an
        // object, so true.
        if (step().kind == TourStepKind::Wait && uncopyableObject(error)) return finishStep();
        lastError_ = error;
        return;
    }
    if (!anyField(result, "exceptionDetails").isNull()) {
        lastError_ = exceptionText(objectField(result, "exceptionDetails"));
        return;
    }
    const Json::Value& remote = optionalObject(result, "result");
    if (step().kind != TourStepKind::Wait && optionalText(remote, "type") == "string") {
        return fail(optionalText(remote, "value"));
    }
    if (truthy(remote)) finishStep();
}

void TourPlayer::onCaptured(const Json::Value& result, const std::string& error) {
    if (!error.empty()) {
        lastError_ = error;
        return;
    }
    const std::optional<std::string> png = base64Decode(optionalText(result, "data"));
    if (!png || png->empty()) return fail("the screenshot came back empty or not as base64");
    fs::path path = fs::path(settings_.shotsDir) / (step().target + ".png");
    if (std::string why = writeAtomically(path, *png); !why.empty()) return fail(why);
    log("tour shot " + path.string());
    finishStep();
}

void TourPlayer::log(const std::string& line) {
    std::fprintf(log_, "%s\n", line.c_str());
    std::fflush(log_);
}

}  // namespace cefhx
