#include "platform/cefhx/headed_host_run.h"

#include <stdlib.h>

#include <cstdio>
#include <exception>
#include <fstream>

#include "platform/cefhx/test_window.h"
#include "runtime/function.h"
#include "runtime/record.h"

namespace cefhx::testing {

HeadedHostRun& headedRun() {
    static HeadedHostRun run;
    return run;
}

int runHeadedHost(const std::string& pageBackground, const std::function<int()>& tests) {
    HeadedHostRun& run = headedRun();
    char folder[] = "/tmp/cefhx-headed-XXXXXX";
    if (!mkdtemp(folder)) return 2;
    run.folder = folder;
    std::ofstream(run.folder / "page.html")
        << "<!doctype html><title>page</title><body style='margin:0;background:" << pageBackground
        << "'>";
    setenv("CEFHX_PROFILE_DIR", (run.folder / "profile").c_str(), 1);
    setenv("CEFHX_HEADLESS", "0", 1);
    int result = 1;
    try {
        TestDisplay display(1280, 800);
        run.display = &display;
        run.x = X11Desktop::open();
        try {
            rt::Value ready = rt::Function::of("ready", [&](std::span<const rt::Value>) {
                result = tests();
                callHost("cef_app_quit", {});
                return rt::Value();
            });
            if (run.x) callHost("cef_app_main", {ready, rt::Record::of({{"locale", "en-US"}})});
        } catch (const std::exception& e) {
            std::fprintf(stderr, "the browser host did not run: %s\n", e.what());
        }
        // The test's own connection goes before the server does.
        run.x.reset();
        run.display = nullptr;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "no test display: %s\n", e.what());
    }
    std::vector<int> left = processesMentioning(run.folder.string());
    if (!left.empty()) {
        std::fprintf(stderr, "%zu browser processes outlived quit\n", left.size());
        result = 1;
    }
    std::filesystem::remove_all(run.folder);
    return result;
}

}  // namespace cefhx::testing
