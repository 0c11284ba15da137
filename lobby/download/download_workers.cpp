// The worker bodies of the download engine: each runs on a thread of its own, reads one message
// from its thread queue, touches no field of the engine and posts its result to the UI thread as
// a task through the lobby window.
#include <exception>
#include <optional>

#include "lobby/bindings/cef/task.h"
#include "lobby/download/atomic_file.h"
#include "lobby/download/download_game.h"
#include "lobby/download/file_job.h"
#include "lobby/download/file_pool.h"
#include "lobby/download/lobby_values.h"
#include "lobby/download/safe_path.h"
#include "runtime/convert.h"
#include "runtime/create.h"
#include "runtime/file_system.h"
#include "runtime/function.h"
#include "runtime/http.h"
#include "runtime/strings.h"
#include "runtime/thread.h"
#include "runtime/trace.h"

namespace lobby {
class DownloadGame;
}

namespace {

using lobby::DownloadGame;

std::string text(const rt::Value& v) {
    return rt::fromValue<std::string>(v);
}

std::vector<std::string> serversOf(const rt::Value& server) {
    return rt::split(text(server), "|");
}

// Hands `result` to the engine's member `member` on the UI thread.
void post(DownloadGame& engine, const char* member, rt::Value result) {
    rt::Ref<DownloadGame> self(&engine);
    std::string name(member);
    auto call = rt::Function::of(name, [self, name](std::span<const rt::Value> args) {
        return rt::Value(self).callMember(name, args);
    });
    rt::Ref<cef::Task> task = rt::create<cef::Task>(rt::Value(call), std::move(result));
    rt::Ref<cef::CefWindow> window = download::LobbyValues::lobbyWindow();
    if (!window) {
        RT_TRACE("no lobby window to hand the result of " + name + " to");
        return;
    }
    window->runTask(task, 0);
}

}  // namespace

namespace lobby {

void DownloadGame::getServerUpdateIni() {
    rt::Value message = rt::Thread::readMessage(true);
    try {
        std::vector<std::string> servers = serversOf(message.get("server"));
        std::string path = text(message.get("path"));
        std::string etag = download::LobbyValues::httpEtag();
        size_t server = 0;
        int retry = 0;
        for (;;) {
            std::optional<std::string> body;
            std::string failure;
            rt::Http http(servers[server] + path + etag);
            http.setConnectionTimeout(0);
            http.onData = [&](const std::string& data) { body = data; };
            http.onError = [&](const std::string& error) { failure = error; };
            http.request();
            if (body) {
                post(*this, "onDownloadStart", rt::Value(*body));
                return;
            }
            RT_TRACE(failure);
            if (retry > 2) {
                retry = 0;
                if (server + 1 >= servers.size()) {
                    post(*this, "onDownloadError",
                         rt::Record::of({{"name", "@ini"}, {"file", ""}, {"msg", failure}}));
                    return;
                }
                ++server;
            } else {
                ++retry;
            }
        }
    } catch (const std::exception& e) {
        post(*this, "onDownloadError",
             rt::Record::of({{"name", "@ini"}, {"file", ""}, {"msg", e.what()}}));
    }
}

void DownloadGame::downloadItem() {
    rt::Value job = rt::Thread::readMessage(true);
    download::ProgressRecord record;
    record.queue = job.get("queue").toInt();
    record.module = job.get("module").toInt();
    record.index = job.get("fileInx").toInt();
    record.state = job.get("state").toInt();
    std::string file = text(job.get("file"));
    std::string error;
    try {
        if (!download::isSafeGamePath(file)) {
            record.state = kFailed;
            error = "refused game file path " + file + ": it leaves the installation folder";
        } else if (record.state == kWaiting) {
            download::FileJob::Settings settings;
            settings.servers = serversOf(job.get("server"));
            if (rt::Ref<rt::Array> vers = job.get("vers").asArray()) {
                for (const rt::Value& v : vers->items()) settings.vers.push_back(text(v));
            }
            settings.ver = job.get("ver").toInt();
            settings.file = file;
            std::string upPath = text(job.get("upPath"));
            settings.target = upPath + file;
            settings.etag = download::LobbyValues::httpEtag();
            settings.md5 = text(job.get("md5"));
            settings.connections = download::FilePool::connections();
            if (!rt::FileSystem::exists(settings.target)) createDir(upPath, file);
            download::FileJob fileJob(std::move(settings), record, progressList);
            fileJob.run();
            error = fileJob.error();
        }
    } catch (const std::exception& e) {
        record.state = kFailed;
        record.progress = 0;
        error = e.what();
    }
    post(*this, "onDownItem",
         rt::Record::of({{"module", record.module},
                         {"state", record.state},
                         {"error", error},
                         {"fileInx", record.index},
                         {"queue", record.queue}}));
}

void DownloadGame::copyFilesThread() {
    rt::Value job = rt::Thread::readMessage(true);
    rt::Value error;
    try {
        std::string src = text(job.get("srcPath"));
        std::string dst = text(job.get("dstPath"));
        // Every file is copied beside its place first and all take their places after one
        // flush, so a crash leaves each installed file old or new, never torn.
        download::FileSetReplacement replacement;
        if (rt::Ref<rt::Array> files = job.get("files").asArray()) {
            for (const rt::Value& f : files->items()) {
                std::string file = text(f);
                if (!download::isSafeGamePath(file)) {
                    throw rt::Exception("refused game file path " + file +
                                        ": it leaves the installation folder");
                }
                createDir(dst, file);
                replacement.copy(src + file, dst + file);
            }
        }
        replacement.commit();
    } catch (const std::exception& e) {
        error = rt::Value(e.what());
    }
    post(*this, "onCopyResult",
         rt::Record::of(
             {{"module", job.get("module")}, {"error", error}, {"queue", job.get("queue")}}));
}

void DownloadGame::createDir(const std::string& base, const std::string& path) {
    std::vector<std::string> parts = rt::split(path, "\\");
    if (parts.size() <= 2) return;
    auto joined = [&](size_t k) {
        std::vector<std::string> head(parts.begin(), parts.begin() + static_cast<long>(k));
        return base + rt::join(head, "\\");
    };
    if (rt::FileSystem::isDirectory(joined(parts.size() - 1))) return;
    for (size_t k = 2; k <= parts.size() - 1; ++k) {
        std::string folder = joined(k);
        if (!rt::FileSystem::exists(folder)) rt::FileSystem::createDirectory(folder);
    }
}

}  // namespace lobby
