// Wall time of the download engine installing a game of 200 files (100 MB in all) from nginx on
// loopback, from the server list to "onInstallOk", against curl fetching the same files one after
// another in one run. The engine's tasks run on this thread as the host's loop would run them.
//   download_bench [files] [kilobytes per file]     (default 200 files of 512 KB)
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <mutex>
#include <random>
#include <string>

#include "lobby/app/config.h"
#include "lobby/app/lobby_window.h"
#include "lobby/app/main.h"
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

using lobby::Main;
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

}  // namespace

int main(int argc, char** argv) {
    if (auto reason = testhttp::NginxFixture::unavailable()) {
        std::fprintf(stderr, "download_bench: %s\n", reason->c_str());
        return 2;
    }
    int files = argc > 1 ? std::atoi(argv[1]) : 200;
    int kilobytes = argc > 2 ? std::atoi(argv[2]) : 512;

    rt::testing::TestFolder work;
    std::string root = work / "root";
    std::string list;
    std::mt19937 random(42);
    std::vector<std::string> paths;
    for (int i = 0; i < files; ++i) {
        std::string name = "f" + std::to_string(i) + ".bin";
        std::string body(static_cast<size_t>(kilobytes) * 1024, '\0');
        for (char& c : body) c = static_cast<char>(random());
        rt::FileSystem::createDirectory(root + "/1_0_0/bench");
        rt::File::saveContent(root + "/1_0_0/bench/" + name, body);
        list += "<f dep=\"bench\" md5=\"" + rt::md5Hex(body) + "\">\\bench\\" + name + "</f>";
        paths.push_back("/1_0_0/bench/" + name);
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
    rt::FileSystem::createDirectory(work / "install");
    Main::appPath = work / "install/";
    Main::updateLocalRoot = Main::appPath + "app_update";
    Main::httpEtag = "?r=0.5";
    Main::versions = rt::Array::of({"1.0.0"});
    Main::versionFileList = rt::make<rt::Array>();
    Main::serverVerPath = "1_0_0";
    Main::updateServerUrl = nginx.url("");
    Main::browserSet = rt::create<cef::CefBrowserSettings>();
    Main::gamesWindow = rt::make<rt::Array>();
    rt::Ref<lobby::LobbyWindow> window = rt::create<lobby::LobbyWindow>();
    window->on_create("lobby");
    rt::Value(window).callMember("onBrowserEvent", {"onAfterCreated", rt::Value()});
    Main::lobbyWindow = window;

    rt::Ref<lobby::DownloadGame> engine = rt::create<lobby::DownloadGame>();
    Clock::time_point start = Clock::now();
    engine->toDownload("");
    loop.runUntil(window, [&] { return engine->updateState == 2 || failed; });
    engine->downloadGames(rt::Array::of({"bench"}));
    loop.runUntil(window, [&] { return installed || failed; });
    double engineTime = seconds(start);
    if (failed) return 1;

    std::string config = work / "curl.conf";
    std::string text;
    rt::FileSystem::createDirectory(work / "curl");
    for (size_t i = 0; i < paths.size(); ++i) {
        text += "url = \"" + nginx.url(paths[i]) + "\"\noutput = \"" +
                (work / ("curl/" + std::to_string(i))) + "\"\n";
    }
    rt::File::saveContent(config, text);
    std::string command = "curl -s -f -K '" + config + "'";
    start = Clock::now();
    int status = std::system(command.c_str());
    double curlTime = seconds(start);
    if (status != 0) {
        std::fprintf(stderr, "download_bench: curl failed (%d)\n", status);
        return 1;
    }

    double megabytes = static_cast<double>(files) * kilobytes / 1024.0;
    std::printf("files %d, %.1f MB from nginx on loopback\n", files, megabytes);
    std::printf("engine (list, download, MD5 check, copy, register): %.2f s, %.1f MB/s\n",
                engineTime, megabytes / engineTime);
    std::printf("curl, the same files one after another:              %.2f s, %.1f MB/s\n",
                curlTime, megabytes / curlTime);
    std::printf("engine / curl: %.2f\n", engineTime / curlTime);
    return 0;
}
