#include "platform/downloadgame/download_session.h"

#include <exception>

#include "platform/downloadgame/server_versions.h"
#include "platform/shared/platform_log.h"
#include "runtime/array.h"
#include "runtime/strings.h"

namespace downloadgame {
namespace {

constexpr uintptr_t kTimerId = 1;

void log(const std::string& line) {
    platform::log("DownLoadGame", line);
}

std::string listText(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return "[" + text + "]";
}

}  // namespace

std::map<int, std::unique_ptr<DownloadSession>>& DownloadSession::sessions() {
    // Never destroyed: sessions still open at exit must not call into a runtime being torn down.
    static auto* table = new std::map<int, std::unique_ptr<DownloadSession>>();
    return *table;
}

int DownloadSession::open(rt::Value engine) {
    static int last = 0;
    auto session = std::make_unique<DownloadSession>(std::move(engine));
    session->number_ = ++last;
    sessions()[last] = std::move(session);
    return last;
}

bool DownloadSession::close(int number) {
    return sessions().erase(number) > 0;
}

DownloadSession* DownloadSession::find(int number) {
    auto it = sessions().find(number);
    return it == sessions().end() ? nullptr : it->second.get();
}

DownloadSession::DownloadSession(rt::Value engine) : engine_(std::move(engine)) {}

DownloadSession::~DownloadSession() {
    if (!waiting_.empty()) {
        log("instance " + std::to_string(number_) + " destroyed; " +
            std::to_string(waiting_.size()) +
            " request(s) dropped before the server list was read");
    }
    stopWatching();
}

std::vector<std::string> DownloadSession::splitGames(const std::string& games) {
    std::vector<std::string> names;
    for (const std::string& part : rt::split(games, ",")) {
        std::string name = rt::trim(part);
        if (!name.empty()) names.push_back(std::move(name));
    }
    return names;
}

void DownloadSession::request(const std::string& url, const std::string& games,
                              const std::string& extra) {
    std::vector<std::string> names = splitGames(games);
    log("instance " + std::to_string(number_) + ": download " + listText(names) + " (address " +
        platform::quoted(url) + ", second argument " + platform::quoted(extra) + ")");
    if (!versionsKnown_) versionsKnown_ = learnVersions(url);
    rt::Value engine = engine_;
    int number = number_;
    engine.callMember("toDownload", {rt::Value(games)});
    DownloadSession* self = find(number);
    if (self == nullptr || names.empty()) return;
    self->waiting_.push_back(std::move(names));
    if (self->listRead()) {
        std::vector<std::vector<std::string>> lists = std::move(self->waiting_);
        self->waiting_.clear();
        self->stopWatching();
        deliver(engine, std::move(lists));
        return;
    }
    self->startWatching();
}

bool DownloadSession::learnVersions(const std::string& url) {
    try {
        ServerVersions versions = ServerVersions::fetch(url);
        log("instance " + std::to_string(number_) + ": " +
            std::to_string(versions.versions.size()) + " version(s) on the server, newest " +
            versions.versions.back());
        return versions.publish();
    } catch (const std::exception& e) {
        log("instance " + std::to_string(number_) + ": no versions: " + e.what());
        return false;
    }
}

bool DownloadSession::listRead() const {
    return engine_.get("updateState").toInt() == 2;
}

bool DownloadSession::startWatching() {
    if (window_ != 0) return true;
    ticks_ = 0;
    ml_hwnd window = 0;
    int status = ml_create_window(windowProc,
                                  reinterpret_cast<void*>(static_cast<intptr_t>(number_)), &window);
    if (status == ML_OK) status = ml_set_timer(window, kTimerId, kPollMs);
    if (status != ML_OK) {
        log("instance " + std::to_string(number_) +
            ": cannot watch for the server list: " + ml_last_error());
        if (window != 0) ml_destroy_window(window);
        return false;
    }
    window_ = window;
    return true;
}

void DownloadSession::stopWatching() {
    if (window_ == 0) return;
    ml_destroy_window(window_);
    window_ = 0;
}

intptr_t DownloadSession::windowProc(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam,
                                     void* user) {
    if (msg == ML_WM_TIMER && wparam == kTimerId) {
        onTimer(static_cast<int>(reinterpret_cast<intptr_t>(user)));
        return 0;
    }
    return ml_default_proc(hwnd, msg, wparam, lparam);
}

void DownloadSession::onTimer(int number) {
    DownloadSession* self = find(number);
    if (self == nullptr) return;
    bool read = false;
    try {
        read = self->listRead();
    } catch (const std::exception& e) {
        log("instance " + std::to_string(number) + ": reading updateState failed: " + e.what());
    }
    if (!read && ++self->ticks_ < kGiveUpTicks) return;
    std::vector<std::vector<std::string>> lists = std::move(self->waiting_);
    self->waiting_.clear();
    self->stopWatching();
    if (!read) {
        log("instance " + std::to_string(number) + ": the server list was not read after " +
            std::to_string(kGiveUpTicks * kPollMs / 1000) + " s; dropped " +
            std::to_string(lists.size()) + " request(s)");
        return;
    }
    deliver(self->engine_, std::move(lists));
}

void DownloadSession::deliver(rt::Value engine, std::vector<std::vector<std::string>> lists) {
    for (const std::vector<std::string>& names : lists) {
        auto array = rt::make<rt::Array>();
        for (const std::string& name : names) array->push(rt::Value(name));
        try {
            engine.callMember("downloadGames", {rt::Value(array)});
            log("downloadGames " + listText(names));
        } catch (const std::exception& e) {
            log("downloadGames " + listText(names) + " failed: " + e.what());
        }
    }
}

}  // namespace downloadgame
