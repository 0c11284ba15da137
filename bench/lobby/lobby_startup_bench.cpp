// Start-up of the real program on the test host: from the program's start to the ready
// callback, and to the lobby window's creation. Each run starts MorvickNew in a test copy of the
// installation, waits for the lobby window, and ends (the host's "quit" step).
//
//   lobby_startup_bench [runs]        (default 20)
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "lobby/e2e/program_run.h"
#include "lobby/e2e/test_install.h"

namespace {

uint64_t monotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000000000u + static_cast<uint64_t>(ts.tv_nsec);
}

// The host's clock at its start, from the record's first line.
uint64_t recordStartNs(const std::vector<std::string>& timed) {
    const std::string key = "monotonic_ns=";
    for (const std::string& l : timed) {
        size_t at = l.find(key);
        if (at != std::string::npos) return std::stoull(l.substr(at + key.size()));
    }
    return 0;
}

// Milliseconds after the host's start at which a line containing `text` was written, or -1.
double lineMs(const std::vector<std::string>& timed, const std::string& text) {
    for (const std::string& l : timed) {
        if (l.find(text) != std::string::npos) return std::stod(l);
    }
    return -1;
}

void report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    auto at = [&](double q) {
        return ms[static_cast<size_t>(q * static_cast<double>(ms.size() - 1))];
    };
    std::printf("%-34s median %7.2f ms   p90 %7.2f ms   min %7.2f ms   max %7.2f ms\n", what,
                at(0.5), at(0.9), ms.front(), ms.back());
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::atoi(argv[1]) : 20;
    if (runs < 1) {
        std::fprintf(stderr, "usage: %s [runs >= 1]\n", argv[0]);
        return 2;
    }
    e2e::TestInstall install;
    e2e::writeConfiguration(install);
    std::vector<double> toReady;
    std::vector<double> toLobby;
    for (int i = 0; i < runs; ++i) {
        std::string name = "run" + std::to_string(i);
        e2e::ProgramRun run(install, name, name);
        run.setScript("expect on_create [lobby.html]\nquit\n");
        uint64_t started = monotonicNs();
        run.start();
        int code = run.wait();
        std::vector<std::string> timed = run.timedRecord();
        uint64_t hostStart = recordStartNs(timed);
        double ready = lineMs(timed, " ready");
        double lobby = lineMs(timed, " on_create [lobby.html]");
        if (code != 0 || hostStart == 0 || ready < 0 || lobby < 0) {
            std::fprintf(stderr, "run %d failed (exit code %d); its output:\n%s\n", i, code,
                         run.output().c_str());
            return 1;
        }
        double offset = static_cast<double>(hostStart - started) / 1e6;
        toReady.push_back(offset + ready);
        toLobby.push_back(offset + lobby);
    }
    std::printf("MorvickNew on the test host, %d runs\n", runs);
    report("start to the ready callback", toReady);
    report("start to the lobby window", toLobby);
    return 0;
}
