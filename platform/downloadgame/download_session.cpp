#include "platform/downloadgame/download_session.h"

#include <exception>
#include <thread>

#include "platform/downloadgame/server_versions.h"
#include "platform/shared/platform_log.h"
#include "runtime/array.h"
#include "runtime/record.h"
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
    if (!waiting_.empty() || !beforeVersions_.empty()) {
        log("instance " + std::to_string(number_) + " destroyed; " +
            std::to_string(waiting_.size() + beforeVersions_.size()) +
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
    Request request{games, splitGames(games)};
    log("instance " + std::to_string(number_) + ": download " + listText(request.names) +
        " (address " + platform::quoted(url) + ", second argument " + platform::quoted(extra) +
        ")");
    if (versions_ == Versions::Known) {
        proceed(number_, request);
        return;
    }
    beforeVersions_.push_back(std::move(request));
    if (versions_ == Versions::Unknown && startReadingVersions(url)) {
        versions_ = Versions::Reading;
        return;
    }
    if (versions_ == Versions::Reading) return;
    std::vector<Request> requests = std::move(beforeVersions_);
    beforeVersions_.clear();
    for (const Request& r : requests) proceed(number_, r);
}

bool DownloadSession::startReadingVersions(const std::string& url) {
    auto read = std::make_unique<VersionsRead>();
    read->number = number_;
    read->url = url;
    try {
        std::thread([read = std::move(read)]() mutable {
            try {
                read->versions = ServerVersions::fetch(read->url);
            } catch (const std::exception& e) {
                read->versions = morvick::fail(read->url + ": " + e.what());
            }
            VersionsRead* handed = read.release();
            if (ml_post_task(onVersionsRead, handed, 0) != ML_OK) {
                log("instance " + std::to_string(handed->number) +
                    ": the versions read could not be handed to the loop: " + ml_last_error());
                delete handed;
            }
        }).detach();
        return true;
    } catch (const std::exception& e) {
        log("instance " + std::to_string(number_) + ": cannot read the versions: " + e.what());
        return false;
    }
}

void DownloadSession::onVersionsRead(void* handed) {
    std::unique_ptr<VersionsRead> read(static_cast<VersionsRead*>(handed));
    DownloadSession* self = find(read->number);
    if (self == nullptr) return;
    std::string prefix = "instance " + std::to_string(read->number) + ": ";
    bool known = false;
    if (read->versions) {
        log(prefix + std::to_string(read->versions->versions.size()) +
            " version(s) on the server, newest " + read->versions->versions.back());
        known = read->versions->publish();
    } else {
        log(prefix + "no versions: " + read->versions.error());
    }
    self->versions_ = known ? Versions::Known : Versions::Unknown;
    std::vector<Request> requests = std::move(self->beforeVersions_);
    self->beforeVersions_.clear();
    for (const Request& request : requests) {
        if (find(read->number) == nullptr) return;
        proceed(read->number, request);
    }
}

void DownloadSession::proceed(int number, const Request& request) {
    DownloadSession* self = find(number);
    if (self == nullptr) return;
    rt::Value engine = self->engine_;
    try {
        engine.callMember("toDownload", {rt::Value(request.games)});
    } catch (const std::exception& e) {
        log("instance " + std::to_string(number) + ": toDownload failed: " + e.what());
    }
    self = find(number);
    if (self == nullptr || request.names.empty()) return;
    self->waiting_.push_back(request.names);
    self->ticks_ = 0;
    bool read = false;
    try {
        read = self->listRead();
    } catch (const std::exception& e) {
        log("instance " + std::to_string(number) + ": reading updateState failed: " + e.what());
    }
    if (read) {
        std::vector<std::vector<std::string>> lists = std::move(self->waiting_);
        self->waiting_.clear();
        self->stopWatching();
        deliver(engine, std::move(lists));
        return;
    }
    self->startWatching();
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
    rt::Value engine = self->engine_;
    if (!read) {
        std::string reason = "the server list was not read within " +
                             std::to_string(kGiveUpTicks * kPollMs / 1000) + " s";
        log("instance " + std::to_string(number) + ": " + reason + "; dropped " +
            std::to_string(lists.size()) + " request(s)");
        for (const std::vector<std::string>& names : lists) drop(engine, names, reason);
        return;
    }
    deliver(engine, std::move(lists));
}

void DownloadSession::drop(rt::Value engine, const std::vector<std::string>& names,
                           const std::string& reason) {
    for (const std::string& name : names) {
        try {
            engine.callMember(
                "onDownloadError",
                {rt::Value(rt::Record::of(
                    {{"name", name}, {"file", ""}, {"msg", "download dropped: " + reason}}))});
        } catch (const std::exception& e) {
            log("telling the page of the dropped download of " + name + " failed: " + e.what());
        }
    }
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
