// Cold start and memory of the real MorvickNew on the real browser host (headless Chromium), in
// interleaved pairs with bare Chromium (the host's command line, nothing of ours) doing the same:
//   startup-vs-chromium  from the process's start to the login page's first contentful paint;
//                        the reference opens the same login file from its command line
//                        (also shown: bare Chromium opening the lobby and then the login page
//                        in two windows of their own, the pages the program opens at start)
//   memory-vs-chromium   proportional set size of the whole process tree once the login and
//                        lobby pages are up; the reference opens the lobby file as a second page
// Both runs get a fresh profile. The login page reports its paint time (performance.timeOrigin
// plus the paint entry's start) to a loopback listener of this program.
//
//   lobby_startup_bench [pairs]        (default 5)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "bench/support/bare_chromium.h"
#include "bench/support/beacon_listener.h"
#include "bench/support/pair_summary.h"
#include "bench/support/process_tree.h"
#include "lobby/e2e/program_run.h"
#include "lobby/e2e/test_install.h"

namespace {

constexpr int kGuardMs = 120000;

// The windows the program opens on the headless 1920x1080 screen: the reference shows the same
// pages at the same sizes, each in a window of its own (a page in a background tab would not be
// drawn at all).
constexpr int kLoginWidth = 470;
constexpr int kLoginHeight = 343;
constexpr int kLobbyWidth = 1536;
constexpr int kLobbyHeight = 845;

// Both windows up, then time for the memory reading, then the lobby's own quit button.
constexpr const char* kTour =
    "wait lobby.html document.body.dataset.configured === '1'\n"
    "wait login.html document.body.dataset.state === 'ready'\n"
    "pause 3000\n"
    "click lobby.html #quit\n";
constexpr const char* kWindowsUp = "tour step 2 done";

double epochMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string reporter(int port) {
    return "<script>\nnew PerformanceObserver((list, observer) => {\n"
           "  for (const e of list.getEntries()) {\n"
           "    if (e.name !== 'first-contentful-paint') continue;\n"
           "    observer.disconnect();\n"
           "    fetch('http://127.0.0.1:" +
           std::to_string(port) +
           "/fcp?' + (performance.timeOrigin + e.startTime), {mode: 'no-cors'});\n"
           "  }\n"
           "}).observe({type: 'paint', buffered: true});\n</script>\n";
}

struct Figures {
    double startupMs = 0;
    double memoryMiB = 0;
    std::map<std::string, bench::KindShare> memoryByKind;
};

// Memory of this program's descendants: the run under measure and nothing else.
void measureChildren(Figures& f) {
    std::vector<pid_t> tree = bench::processTree(getpid());
    tree.erase(tree.begin());
    f.memoryMiB = bench::pssMiB(tree);
    f.memoryByKind = bench::pssByKind(tree);
}

// Where the memory is: per process kind, the median over the runs of each side (a run without
// that kind counts 0) and the most processes of the kind in one run.
class KindTable {
public:
    void add(const Figures& ours, const Figures& bare) {
        runs_.push_back({ours.memoryByKind, bare.memoryByKind});
    }
    std::string report() const {
        std::set<std::string> kinds;
        for (const auto& [ours, bare] : runs_) {
            for (const auto& [kind, share] : ours) kinds.insert(kind);
            for (const auto& [kind, share] : bare) kinds.insert(kind);
        }
        std::string text = "    PSS by process kind, median MiB (most processes):\n";
        for (const std::string& kind : kinds) {
            char line[200];
            const Side ours = side(kind, true);
            const Side bare = side(kind, false);
            std::snprintf(line, sizeof line, "      %-40s ours %6.1f (%d)  bare %6.1f (%d)\n",
                          kind.c_str(), ours.median, ours.processes, bare.median, bare.processes);
            text += line;
        }
        return text;
    }

private:
    using Kinds = std::map<std::string, bench::KindShare>;
    struct Side {
        double median = 0;
        int processes = 0;
    };
    Side side(const std::string& kind, bool ours) const {
        std::vector<double> mib;
        Side s;
        for (const auto& run : runs_) {
            const Kinds& kinds = ours ? run.first : run.second;
            auto it = kinds.find(kind);
            mib.push_back(it == kinds.end() ? 0 : it->second.mib);
            if (it != kinds.end()) s.processes = std::max(s.processes, it->second.processes);
        }
        s.median = bench::spreadOf(mib).median;
        return s;
    }
    std::vector<std::pair<Kinds, Kinds>> runs_;
};

// Reports left by an earlier run (a page loaded again) belong to nobody.
void forgetReports(bench::BeaconListener& beacons) {
    while (beacons.take("fcp", 0)) {
    }
}

double paintAfter(bench::BeaconListener& beacons, double startedMs, const char* who) {
    const std::optional<double> paint = beacons.take("fcp", kGuardMs);
    if (!paint) throw std::runtime_error(std::string(who) + ": the login page never painted");
    return *paint - startedMs;
}

Figures programRun(const e2e::TestInstall& install, int index, bench::BeaconListener& beacons) {
    const std::string name = "run" + std::to_string(index);
    e2e::ProgramRun run(install, name, name);
    run.setEnv("CEFHX_HEADLESS", "1");
    run.setEnv("CEFHX_PROFILE_DIR", install.path("profile-" + name));
    run.setEnv("CEFHX_TOUR", install.path("tour.txt"));
    run.setEnv("CEFHX_TOUR_LOG", install.path("tour-" + name + ".log"));
    Figures f;
    forgetReports(beacons);
    const double started = epochMs();
    run.start();
    f.startupMs = paintAfter(beacons, started, "MorvickNew");
    const auto guard = std::chrono::steady_clock::now() + std::chrono::milliseconds(kGuardMs);
    while (install.readFile("tour-" + name + ".log").find(kWindowsUp) == std::string::npos) {
        if (!run.running() || std::chrono::steady_clock::now() > guard) {
            throw std::runtime_error("MorvickNew: the login and lobby pages did not come up:\n" +
                                     install.readFile("tour-" + name + ".log") + run.output());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    measureChildren(f);
    const int code = run.wait(kGuardMs);
    if (code != 0) {
        throw std::runtime_error("MorvickNew ended with " + std::to_string(code) + ":\n" +
                                 install.readFile("tour-" + name + ".log") + run.output());
    }
    return f;
}

Figures bareRun(const e2e::TestInstall& install, int index, bench::BeaconListener& beacons) {
    const std::string resources = install.programFolder() + "resource/";
    Figures f;
    forgetReports(beacons);
    const double started = epochMs();
    bench::BareChromium bare(install.path("bare-profile-" + std::to_string(index)),
                             "file://" + resources + "login.html");
    f.startupMs = paintAfter(beacons, started, "bare Chromium");
    const std::string login = bare.attach("/resource/login.html");
    bare.resize(login, kLoginWidth, kLoginHeight);
    const std::string lobby =
        bare.open("file://" + resources + "lobby.html", kLobbyWidth, kLobbyHeight);
    const auto guard = std::chrono::steady_clock::now() + std::chrono::milliseconds(kGuardMs);
    for (const std::string& session : {lobby, login}) {
        while (bare.evaluate(session, "document.readyState").asString() != "complete") {
            if (std::chrono::steady_clock::now() > guard) {
                throw std::runtime_error("bare Chromium: a page did not finish loading");
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    measureChildren(f);
    return f;
}

// The lobby and login pages in two new windows, asked for back to back as the program asks
// for its two windows: Chromium builds one window after the other.
double twoWindowRun(const e2e::TestInstall& install, int index, bench::BeaconListener& beacons) {
    const std::string resources = install.programFolder() + "resource/";
    forgetReports(beacons);
    const double started = epochMs();
    bench::BareChromium bare(install.path("two-window-profile-" + std::to_string(index)), "");
    const std::pair<const char*, std::pair<int, int>> pages[] = {
        {"lobby.html", {kLobbyWidth, kLobbyHeight}}, {"login.html", {kLoginWidth, kLoginHeight}}};
    for (const auto& [page, size] : pages) {
        Json::Value params;
        params["url"] = "file://" + resources + page;
        params["newWindow"] = true;
        params["width"] = size.first;
        params["height"] = size.second;
        bare.send("Target.createTarget", params);
    }
    return paintAfter(beacons, started, "bare Chromium with two windows");
}

std::string twoWindowReport(const std::vector<double>& ours,
                            const std::vector<double>& twoWindows) {
    const bench::Spread floor = bench::spreadOf(twoWindows);
    std::vector<double> ratios;
    for (size_t i = 0; i < ours.size(); ++i) ratios.push_back(ours[i] / twoWindows[i]);
    const bench::Spread over = bench::spreadOf(ratios);
    char text[400];
    std::snprintf(text, sizeof text,
                  "    bare Chromium opening the lobby, then the login file, in two windows: "
                  "min %.4g / median %.4g / max %.4g ms\n"
                  "    MorvickNew over that, %zu runs side by side: "
                  "min %.2f / median %.2f / max %.2f\n",
                  floor.min, floor.median, floor.max, ours.size(), over.min, over.median, over.max);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const int pairs = argc > 1 ? std::atoi(argv[1]) : 5;
    if (pairs < 1) {
        std::fprintf(stderr, "usage: %s [pairs >= 1]\n", argv[0]);
        return 2;
    }
    try {
        bench::BeaconListener beacons;
        e2e::BuildPaths paths = e2e::buildPaths();
        paths.testHost = paths.binDir + "/libcefhx.so";
        e2e::TestInstall install(paths);
        e2e::LoopbackConfig config;
        config.product = "MorvickBench-" + std::to_string(getpid());
        e2e::writeConfiguration(install, config);
        install.writeFile("tour.txt", kTour);
        std::ofstream(install.programFolder() + "resource/login.html", std::ios::app)
            << reporter(beacons.port());

        bench::PairSummary startup("startup-vs-chromium", "ms");
        bench::PairSummary memory("memory-vs-chromium", "MiB");
        KindTable kinds;
        std::vector<double> oursStartup;
        std::vector<double> twoWindowStartup;
        for (int i = 0; i < pairs; ++i) {
            const Figures ours = programRun(install, i, beacons);
            const Figures bare = bareRun(install, i, beacons);
            twoWindowStartup.push_back(twoWindowRun(install, i, beacons));
            oursStartup.push_back(ours.startupMs);
            startup.add(ours.startupMs, bare.startupMs);
            memory.add(ours.memoryMiB, bare.memoryMiB);
            kinds.add(ours, bare);
        }
        std::fputs(startup
                       .report("MorvickNew start to the login page's first paint",
                               "bare Chromium opening the login file")
                       .c_str(),
                   stdout);
        std::fputs(twoWindowReport(oursStartup, twoWindowStartup).c_str(), stdout);
        std::fputs(memory
                       .report("MorvickNew with login and lobby pages, PSS of its tree",
                               "bare Chromium with the two pages, PSS of its tree")
                       .c_str(),
                   stdout);
        std::fputs(kinds.report().c_str(), stdout);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lobby_startup_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
