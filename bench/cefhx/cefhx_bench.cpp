// Page -> native -> page round trips through the browser host against a bare Runtime.evaluate
// sent straight to Chromium's DevTools pipe by this program (a second Chromium with the host's
// command line and the same page, nothing of ours in between), in interleaved pairs of batches.
// Each figure is a batch's mean round trip in milliseconds (the page's clock is too coarse for
// single calls): the page times its own cefhx.call round trips, this program its evaluations.
//   cefhx_bench [PAIRS [ROUND TRIPS]]     (defaults 5, 1000)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/bare_chromium.h"
#include "bench/support/pair_summary.h"
#include "platform/cefhx/test_window.h"
#include "runtime/create.h"
#include "runtime/function.h"
#include "runtime/record.h"

namespace {

namespace fs = std::filesystem;
using cefhx::testing::callHost;
using cefhx::testing::pumpUntil;
using cefhx::testing::RecordingWindow;
using Clock = std::chrono::steady_clock;

constexpr const char* kPage = R"(<!doctype html><title>login</title><script>
async function roundTrips(n) {
  const start = performance.now();
  for (let i = 0; i < n; ++i) await cefhx.call('ping', i);
  window.meanMs = (performance.now() - start) / n;
}
</script><form><input name=user><input name=password type=password><button>Log in</button></form>)";

// The page's batch through the host: its mean round trip, or a negative number.
double hostBatch(const rt::Ref<RecordingWindow>& w, int rounds) {
    callHost("frame_evaljavascript",
             {w->handle, true, "",
              "window.meanMs = null; roundTrips(" + std::to_string(rounds) + "); 0"});
    const auto mean = [&] {
        return callHost("frame_evaljavascript", {w->handle, true, "", "window.meanMs"});
    };
    pumpUntil([&] { return !mean().isNull(); }, 120000);
    const rt::Value value = mean();
    return value.isNull() ? -1 : value.toFloat();
}

double bareBatch(bench::BareChromium& bare, const std::string& session, int rounds) {
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < rounds; ++i) bare.evaluate(session, "1");
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / rounds;
}

}  // namespace

int main(int argc, char** argv) {
    const int pairs = argc > 1 ? std::atoi(argv[1]) : 5;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 1000;
    if (pairs < 1 || rounds < 1) {
        std::fprintf(stderr, "usage: cefhx_bench [PAIRS >= 1 [ROUND TRIPS >= 1]]\n");
        return 2;
    }
    char folder[] = "/tmp/cefhx-bench-XXXXXX";
    if (!mkdtemp(folder)) return 2;
    fs::path root = folder;
    fs::path login = root / "resource" / "login.html";
    fs::create_directories(login.parent_path());
    std::ofstream(login) << kPage;
    std::string profile = (root / "profile").string();
    setenv("CEFHX_PROFILE_DIR", profile.c_str(), 1);
    if (!std::getenv("CEFHX_HEADLESS")) setenv("CEFHX_HEADLESS", "1", 1);

    int status = 1;
    rt::Value ready = rt::Function::of("ready", [&](std::span<const rt::Value>) {
        try {
            callHost("cef_app_setfilterpath", {rt::Array::of({"/resource/"})});
            rt::Ref<RecordingWindow> w = rt::create<RecordingWindow>();
            w->url = login.string();
            callHost("cef_window_create", {1000, 700, 512, w, rt::Record::of({})});
            callHost("browser_seteventhandle", {w->handle, 3, true});
            w->onCall = [](const std::string&, const rt::Ref<rt::Array>& args) {
                return args->get(0);
            };
            if (!pumpUntil([&] { return w->has("onLoadEnd file://" + login.string()); })) {
                throw std::runtime_error("the page did not load in the host");
            }
            bench::BareChromium bare((root / "bare-profile").string(), "file://" + login.string());
            std::string session;
            for (int tries = 0; session.empty(); ++tries) {
                try {
                    session = bare.attach("/resource/login.html");
                } catch (const std::exception&) {
                    if (tries == 200) throw;
                    usleep(50000);
                }
            }
            bench::PairSummary summary("bridge-vs-evaluate", "ms");
            for (int i = 0; i < pairs; ++i) {
                const double host = hostBatch(w, rounds);
                if (host < 0) throw std::runtime_error("the page's round trips did not finish");
                summary.add(host, bareBatch(bare, session, rounds));
            }
            std::printf("%d round trips a batch\n", rounds);
            std::fputs(summary
                           .report("page -> host -> page (cefhx.call)",
                                   "bare Runtime.evaluate on Chromium's pipe")
                           .c_str(),
                       stdout);
            status = 0;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "cefhx_bench: %s\n", e.what());
        }
        callHost("cef_app_quit", {});
        return rt::Value();
    });
    callHost("cef_app_main", {ready, rt::Record::of({})});
    fs::remove_all(root);
    return status;
}
