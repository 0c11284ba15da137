// Wall time of the download engine installing a game of 200 files (100 MB in all) from nginx on
// loopback, from the server list to "onInstallOk", in interleaved pairs with curl doing the same
// work: one curl fetching the files one after another into a staging folder, md5sum checking
// them, `mv` installing them by rename and `sync` flushing the files and their folder. The
// engine's tasks run on this thread as the host's loop would run them.
//   download_bench [pairs] [files] [kilobytes per file]     (default 5 pairs, 200 files of 512 KB)
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <mutex>
#include <random>
#include <string>

#include "bench/support/pair_summary.h"
#include "lobby/app/app_windows.h"
#include "lobby/app/config.h"
#include "lobby/app/download_settings.h"
#include "lobby/app/install_paths.h"
#include "lobby/app/lobby_window.h"
#include "lobby/app/version_check.h"
#include "lobby/bindings/cef/cef_browser_settings.h"
#include "lobby/bindings/fake_host.h"
#include "lobby/download/download_game.h"
#include "runtime/create.h"
#include "runtime/file.h"
#include "runtime/file_system.h"
#include "runtime/function.h"
#include "runtime/md5.h"
#include "runtime/test_folder.h"
#include "tools/testhttp/nginx_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

class TaskLoop {
public:
    explicit TaskLoop(bindings::FakeHost& host) {
        host.answer("cef_app_posttask", [this](std::span<const rt::Value> a) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                posts_.push_back(a[1].toInt());
            }
            posted_.notify_one();
            return rt::Value();
        });
    }

    template <class Done>
    void runUntil(const rt::Ref<lobby::LobbyWindow>& window, Done done) {
        while (!done()) {
            int32_t delay = 0;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                posted_.wait(lock, [this] { return !posts_.empty(); });
                delay = posts_.front();
                posts_.pop_front();
            }
            rt::Value(window).callMember("onBrowserEvent", {"on_task", delay});
        }
    }

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<int32_t> posts_;
};

struct Game {
    std::vector<std::string> paths;  // on the server, under its root
    std::string sums;                // md5sum's check list, names as staged
};

// The engine's whole road in a fresh installation folder; seconds, or a negative number when
// it reported an error.
double engineRun(const std::string& install, const std::string& serverUrl, TaskLoop& loop,
                 bool& installed, bool& failed) {
    installed = failed = false;
    rt::FileSystem::createDirectory(install);
    lobby::installPaths().appPath = install + "/";
    lobby::downloadSettings().updateLocalRoot = lobby::installPaths().appPath + "app_update";
    lobby::versionCheck().httpEtag = "?r=0.5";
    lobby::downloadSettings().versions = rt::Array::of({"1.0.0"});
    lobby::downloadSettings().versionFileList = rt::make<rt::Array>();
    lobby::downloadSettings().serverVerPath = "1_0_0";
    lobby::versionCheck().updateServerUrl = serverUrl;
    lobby::appWindows().browserSet = rt::create<cef::CefBrowserSettings>();
    lobby::appWindows().gamesWindow = rt::make<rt::Array>();
    rt::Ref<lobby::LobbyWindow> window = rt::create<lobby::LobbyWindow>();
    window->on_create("lobby");
    rt::Value(window).callMember("onBrowserEvent", {"onAfterCreated", rt::Value()});
    lobby::appWindows().lobbyWindow = window;

    rt::Ref<lobby::DownloadGame> engine = rt::create<lobby::DownloadGame>();
    Clock::time_point start = Clock::now();
    engine->toDownload("");
    loop.runUntil(window, [&] { return engine->updateState == 2 || failed; });
    if (!failed) {
        engine->downloadGames(rt::Array::of({"bench"}));
        loop.runUntil(window, [&] { return installed || failed; });
    }
    return failed ? -1 : seconds(start);
}

// True when every file of the game lies in the folder's "bench" folder with its full length.
bool installedAll(const std::string& folder, const Game& game, uintmax_t bytes) {
    for (const std::string& path : game.paths) {
        std::error_code error;
        const std::string file = folder + "/bench/" + path.substr(path.rfind('/') + 1);
        if (std::filesystem::file_size(file, error) != bytes || error) {
            std::fprintf(stderr, "download_bench: %s is missing or short\n", file.c_str());
            return false;
        }
    }
    return true;
}

// curl's side in a fresh folder; seconds, or a negative number when a step failed.
double curlRun(const std::string& folder, const Game& game, testhttp::NginxFixture& nginx) {
    rt::FileSystem::createDirectory(folder + "/staging");
    rt::FileSystem::createDirectory(folder + "/bench");
    std::string config;
    for (const std::string& path : game.paths) {
        config += "url = \"" + nginx.url(path) + "\"\noutput = \"" + folder + "/staging/" +
                  path.substr(path.rfind('/') + 1) + "\"\n";
    }
    rt::File::saveContent(folder + "/curl.conf", config);
    rt::File::saveContent(folder + "/sums", game.sums);
    const std::string command = "set -e; cd '" + folder +
                                "'; curl -s -f -K curl.conf; (cd staging && md5sum -c --status "
                                "../sums); mv staging/* bench/; sync bench/* bench";
    Clock::time_point start = Clock::now();
    const int status = std::system(command.c_str());
    const double took = seconds(start);
    if (status != 0) {
        std::fprintf(stderr, "download_bench: curl's side failed (%d)\n", status);
        return -1;
    }
    return took;
}

}  // namespace

int main(int argc, char** argv) {
    if (auto reason = testhttp::NginxFixture::unavailable()) {
        std::fprintf(stderr, "download_bench: %s\n", reason->c_str());
        return 2;
    }
    const int pairs = argc > 1 ? std::atoi(argv[1]) : 5;
    const int files = argc > 2 ? std::atoi(argv[2]) : 200;
    const int kilobytes = argc > 3 ? std::atoi(argv[3]) : 512;
    if (pairs < 1 || files < 1 || kilobytes < 1) {
        std::fprintf(stderr, "usage: download_bench [pairs [files [kilobytes per file]]]\n");
        return 2;
    }

    rt::testing::TestFolder work;
    std::string root = work / "root";
    std::string list;
    std::mt19937 random(42);
    Game game;
    rt::FileSystem::createDirectory(root + "/1_0_0/bench");
    for (int i = 0; i < files; ++i) {
        std::string name = "f" + std::to_string(i) + ".bin";
        std::string body(static_cast<size_t>(kilobytes) * 1024, '\0');
        for (char& c : body) c = static_cast<char>(random());
        rt::File::saveContent(root + "/1_0_0/bench/" + name, body);
        list += "<f dep=\"bench\" md5=\"" + rt::md5Hex(body) + "\">\\bench\\" + name + "</f>";
        game.paths.push_back("/1_0_0/bench/" + name);
        game.sums += rt::md5Hex(body) + "  " + name + "\n";
    }
    rt::File::saveContent(root + "/1_0_0/update.ini", list);
    testhttp::NginxFixture nginx({root, std::nullopt});

    bindings::FakeHost host;
    TaskLoop loop(host);
    host.answer("cef_unicode2ansi", [](std::span<const rt::Value> a) { return a[0]; });
    host.answer("cef_ansi2unicode", [](std::span<const rt::Value> a) { return a[0]; });
    host.answer("browser_getmainframeid", 1);
    bool installed = false;
    bool failed = false;
    host.answer("frame_invokejsfunc", [&](std::span<const rt::Value> a) {
        std::string function(a[3].str());
        if (function == "onInstallOk") installed = true;
        if (function == "onDownloadError") {
            failed = true;
            std::fprintf(stderr, "download_bench: %s\n", a[4].toString().c_str());
        }
        return rt::Value();
    });
    lobby::DownloadGame::plug_create.replace(rt::Value(rt::Function::of(
        "plug_create", [](std::span<const rt::Value>) { return rt::Value("bench"); })));

    bench::PairSummary summary("downloads-vs-curl", "s");
    for (int i = 0; i < pairs; ++i) {
        const std::string n = std::to_string(i);
        const double engine =
            engineRun(work / ("install" + n), nginx.url(""), loop, installed, failed);
        const double curl = curlRun(work / ("curl" + n), game, nginx);
        const uintmax_t bytes = static_cast<uintmax_t>(kilobytes) * 1024;
        if (engine < 0 || curl < 0 || !installedAll(work / ("install" + n), game, bytes) ||
            !installedAll(work / ("curl" + n), game, bytes)) {
            return 1;
        }
        summary.add(engine, curl);
        std::filesystem::remove_all(work / ("install" + n));
        std::filesystem::remove_all(work / ("curl" + n));
    }
    std::printf("a game of %d files, %.1f MB, from nginx on loopback\n", files,
                static_cast<double>(files) * kilobytes / 1024.0);
    std::fputs(summary
                   .report("engine: list, download, MD5 check, install, register",
                           "curl one after another + md5sum -c + mv + sync")
                   .c_str(),
               stdout);
    return 0;
}
