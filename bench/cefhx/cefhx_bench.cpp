// Run: build/normal/bin/cefhx_bench [round trips, default 1000]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/cefhx/test_window.h"
#include "runtime/create.h"
#include "runtime/function.h"
#include "runtime/record.h"

namespace {

namespace fs = std::filesystem;
using cefhx::testing::callHost;
using cefhx::testing::processesMentioning;
using cefhx::testing::pumpUntil;
using cefhx::testing::RecordingWindow;
using Clock = std::chrono::steady_clock;

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void report(const char* what, std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    auto at = [&](double q) {
        return samples[std::min(samples.size() - 1, static_cast<size_t>(q * samples.size()))];
    };
    std::printf("%-44s median %8.3f ms   p99 %8.3f ms   (%zu samples)\n", what, at(0.5), at(0.99),
                samples.size());
}

// Proportional set size of every process started for this profile, in MiB.
double browserMemoryMiB(const std::string& profile) {
    double kib = 0;
    for (int pid : processesMentioning(profile)) {
        std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind("Pss:", 0) == 0) kib += std::atof(line.c_str() + 4);
        }
    }
    return kib / 1024;
}

rt::Ref<RecordingWindow> openWindow(const fs::path& page) {
    rt::Ref<RecordingWindow> w = rt::create<RecordingWindow>();
    w->url = page.string();
    callHost("cef_window_create", {1000, 700, 512, w, rt::Record::of({})});
    callHost("browser_seteventhandle", {w->handle, 3, true});
    return w;
}

bool shown(const rt::Ref<RecordingWindow>& w, const fs::path& page) {
    return w->has("onLoadEnd file://" + page.string());
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::atoi(argv[1]) : 1000;
    char folder[] = "/tmp/cefhx-bench-XXXXXX";
    if (!mkdtemp(folder)) return 2;
    fs::path root = folder;
    fs::path login = root / "resource" / "login.html";
    fs::create_directories(login.parent_path());
    std::ofstream(login) << R"(<!doctype html><title>login</title><script>
async function roundTrips(n) {
  const times = [];
  for (let i = 0; i < n; ++i) {
    const t = performance.now();
    await cefhx.call('ping', i);
    times.push(performance.now() - t);
  }
  window.times = times;
}
</script><form><input name=user><input name=password type=password><button>Log in</button></form>)";
    std::string profile = (root / "profile").string();
    setenv("CEFHX_PROFILE_DIR", profile.c_str(), 1);
    if (!std::getenv("CEFHX_HEADLESS")) setenv("CEFHX_HEADLESS", "1", 1);

    Clock::time_point started = Clock::now();
    rt::Value ready = rt::Function::of("ready", [&](std::span<const rt::Value>) {
        std::printf("%-44s %8.1f ms\n", "start-up to the browser ready",
                    ms(Clock::now() - started));
        callHost("cef_app_setfilterpath", {rt::Array::of({"/resource/"})});
        rt::Ref<RecordingWindow> first = openWindow(login);
        first->onCall = [](const std::string&, const rt::Ref<rt::Array>& args) {
            return args->get(0);
        };
        if (!pumpUntil([&] { return shown(first, login); })) {
            std::fprintf(stderr, "the login page did not load\n");
            callHost("cef_app_quit", {});
            return rt::Value();
        }
        std::printf("%-44s %8.1f ms\n", "start-up to the login page shown",
                    ms(Clock::now() - started));

        // Page to native and back, timed in the page.
        callHost("frame_evaljavascript",
                 {first->handle, true, "", "roundTrips(" + std::to_string(rounds) + "); 0"});
        pumpUntil(
            [&] {
                return !callHost("frame_evaljavascript", {first->handle, true, "", "window.times"})
                            .isNull();
            },
            120000);
        rt::Value times =
            callHost("frame_evaljavascript", {first->handle, true, "", "window.times"});
        std::vector<double> pageCalls;
        if (auto a = times.asArray()) {
            for (const rt::Value& t : a->items()) pageCalls.push_back(t.toFloat());
        }
        if (!pageCalls.empty()) report("page -> native -> page (cefhx.call)", pageCalls);

        // A bare evaluation from native code, the floor of any DevTools round trip.
        std::vector<double> evals;
        for (int i = 0; i < rounds; ++i) {
            Clock::time_point t = Clock::now();
            callHost("frame_evaljavascript", {first->handle, true, "", "1"});
            evals.push_back(ms(Clock::now() - t));
        }
        report("native -> page -> native (Runtime.evaluate)", evals);

        double one = browserMemoryMiB(profile);
        std::vector<rt::Ref<RecordingWindow>> more;
        for (int i = 0; i < 2; ++i) more.push_back(openWindow(login));
        pumpUntil([&] {
            return std::all_of(more.begin(), more.end(), [&](auto& w) { return shown(w, login); });
        });
        double three = browserMemoryMiB(profile);
        std::printf("%-44s %8.1f MiB\n", "browser memory with 1 window (PSS)", one);
        std::printf("%-44s %8.1f MiB\n", "browser memory with 3 windows (PSS)", three);
        std::printf("%-44s %8.1f MiB\n", "memory per further window", (three - one) / 2);
        callHost("cef_app_quit", {});
        return rt::Value();
    });
    callHost("cef_app_main", {ready, rt::Record::of({})});
    fs::remove_all(root);
    return 0;
}
