// Cross-process copy-data round trips per second and latency (median, 99th percentile) against
// a raw SOCK_SEQPACKET ping-pong between two processes, measured in the same run.
//   msgloop_bench [round trips]
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/msgloop/msgloop.h"

namespace {

constexpr size_t kPayload = 64;
constexpr size_t kReply = 56;
constexpr int kWarmup = 2000;
constexpr uint64_t kHello = 1;
constexpr uint64_t kPing = 2;
constexpr uint64_t kBye = 3;

uint64_t now_ns() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000000000u + static_cast<uint64_t>(ts.tv_nsec);
}

struct Figures {
    double per_second;
    double median_us;
    double p99_us;
};

Figures figures(std::vector<uint64_t>& samples, uint64_t total_ns) {
    std::sort(samples.begin(), samples.end());
    return Figures{samples.size() * 1e9 / static_cast<double>(total_ns),
                   samples[samples.size() / 2] / 1000.0,
                   samples[samples.size() * 99 / 100] / 1000.0};
}

// Times count round trips after kWarmup unmeasured ones; round() makes one round trip and ends
// the program when it fails.
template <typename Round>
Figures time_rounds(int count, Round round) {
    std::vector<uint64_t> samples;
    samples.reserve(static_cast<size_t>(count));
    uint64_t start = 0;
    for (int i = -kWarmup; i < count; ++i) {
        if (i == 0) start = now_ns();
        uint64_t t0 = now_ns();
        round();
        if (i >= 0) samples.push_back(now_ns() - t0);
    }
    return figures(samples, now_ns() - start);
}

Figures raw_baseline(int count) {
    int sv[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, sv) != 0) std::exit(1);
    pid_t child = fork();
    if (child == 0) {
        close(sv[0]);
        char buf[kPayload];
        char reply[kReply] = {};
        while (recv(sv[1], buf, sizeof buf, 0) > 0) {
            if (send(sv[1], reply, sizeof reply, 0) != static_cast<ssize_t>(kReply)) break;
        }
        _exit(0);
    }
    close(sv[1]);
    char ping[kPayload] = {};
    char reply[kReply];
    const Figures measured = time_rounds(count, [&] {
        if (send(sv[0], ping, sizeof ping, 0) != static_cast<ssize_t>(kPayload) ||
            recv(sv[0], reply, sizeof reply, 0) != static_cast<ssize_t>(kReply)) {
            std::fprintf(stderr, "raw ping-pong failed\n");
            std::exit(1);
        }
    });
    close(sv[0]);
    waitpid(child, nullptr, 0);
    return measured;
}

ml_hwnd g_peer = 0;

intptr_t bench_proc(ml_hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam, void*) {
    if (msg != ML_WM_COPYDATA) return 0;
    auto* block = reinterpret_cast<const ml_copydata*>(lparam);
    if (block->data == kHello) g_peer = static_cast<ml_hwnd>(wparam);
    if (block->data == kBye) ml_post_quit(0);
    return static_cast<intptr_t>(block->size);
}

int run_peer(ml_hwnd parent) {
    ml_hwnd self = 0;
    if (ml_init() != ML_OK || ml_create_window(bench_proc, nullptr, &self) != ML_OK ||
        ml_send_copydata(parent, self, kHello, nullptr, 0, -1, nullptr) != ML_OK) {
        std::fprintf(stderr, "bench peer: %s\n", ml_last_error());
        return 1;
    }
    int code = 0;
    ml_run(&code);
    return code;
}

Figures copydata(int count) {
    ml_hwnd self = 0;
    if (ml_init() != ML_OK || ml_create_window(bench_proc, nullptr, &self) != ML_OK) {
        std::fprintf(stderr, "msgloop: %s\n", ml_last_error());
        std::exit(1);
    }
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) std::exit(1);
    exe[n] = '\0';
    std::string cmdline = "\"" + std::string(exe) + "\" peer " + std::to_string(self);
    ml_process* peer = nullptr;
    if (ml_process_start(cmdline.c_str(), &peer) != ML_OK ||
        ml_wait([](void*) { return g_peer != 0 ? 1 : 0; }, nullptr, 20000) != ML_OK) {
        std::fprintf(stderr, "msgloop peer: %s\n", ml_last_error());
        std::exit(1);
    }
    char ping[kPayload] = {};
    const Figures measured = time_rounds(count, [&] {
        intptr_t result = 0;
        if (ml_send_copydata(g_peer, self, kPing, ping, kPayload, -1, &result) != ML_OK ||
            result != static_cast<intptr_t>(kPayload)) {
            std::fprintf(stderr, "copy-data round trip failed: %s\n", ml_last_error());
            std::exit(1);
        }
    });
    ml_send_copydata(g_peer, self, kBye, nullptr, 0, -1, nullptr);
    ml_process_wait(peer, 20000);
    ml_process_close(peer);
    ml_shutdown();
    return measured;
}

void print(const char* name, const Figures& f) {
    std::printf("%-22s %12.0f round trips/s   median %7.2f us   p99 %7.2f us\n", name, f.per_second,
                f.median_us, f.p99_us);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::string(argv[1]) == "peer") {
        return run_peer(static_cast<ml_hwnd>(std::strtoll(argv[2], nullptr, 10)));
    }
    int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    if (count <= 0) count = 100000;
    std::printf("%d round trips of a %zu-byte block, two processes\n", count, kPayload);
    Figures raw = raw_baseline(count);
    Figures ml = copydata(count);
    print("raw seqpacket", raw);
    print("msgloop copy-data", ml);
    std::printf("throughput ratio raw/msgloop %.2f, median latency ratio %.2f\n",
                raw.per_second / ml.per_second, ml.median_us / raw.median_us);
    return 0;
}
