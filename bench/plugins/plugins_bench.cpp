// Round trips between a game process and the host through a plug-in, against a raw
// SOCK_SEQPACKET ping-pong between two processes, in interleaved pairs.
//   project:   the game sends a text; Sondrel hands it to the host's onPlugMsg, which answers
//              with plug_send; the game waits for that data (two synchronous copy-data sends,
//              four messages on the wire).
//   reference: one process sends a block of the same size, the other answers it with one
//              (two messages).
// Each figure is the mean time of one round over a batch.
//
//   plugins_bench [PAIRS [ROUNDS [SIZE]]]    defaults 7, 10000, 64
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "bench/support/pair_summary.h"
#include "platform/msgloop/msgloop.h"
#include "plugins/core/message_header.h"
#include "plugins/core/testing/game_run.h"
#include "plugins/core/testing/plug_host.h"
#include "plugins/core/text_channel.h"
#include "runtime/create.h"

namespace {

using plug::testing::GameRun;
using plug::testing::PumpUntil;

// Microseconds per round the game logged ("bench pingpong ... us_per_round=X"), if it did.
std::optional<double> LoggedRound(const std::string& log) {
    const std::string key = "us_per_round=";
    const size_t at = log.find(key);
    if (at == std::string::npos) return std::nullopt;
    return std::atof(log.c_str() + at + key.size());
}

std::optional<double> PluginRound(plug::testing::PlugLibrary& lib, long rounds, long size) {
    auto handler = rt::create<plug::testing::Handler>();
    const rt::Value handle = lib("plug_create", handler);
    long answered = 0;
    auto lastAnswer = std::chrono::steady_clock::now();
    handler->then = [&](const std::string& call) {
        if (call.starts_with("onPlugMsg(")) {
            lib("plug_send", handle, call.substr(10, call.size() - 11));
            ++answered;
            lastAnswer = std::chrono::steady_clock::now();
        }
        handler->calls.clear();
    };
    std::optional<double> round;
    {
        GameRun game;
        const std::string script =
            "link\nquiet\npingpong " + std::to_string(rounds) + " " + std::to_string(size) + "\n";
        const std::u16string program = game.Program(script, plug::kNarrowPrefix);
        lib("plug_link", handle, std::string(program.begin(), program.end()));
        // The game's log is read only once every round is answered or the game went quiet, so
        // that this process spends its time on the round trips.
        const bool finished = PumpUntil(
            [&] {
                if (answered < rounds &&
                    std::chrono::steady_clock::now() - lastAnswer < std::chrono::seconds(1)) {
                    return false;
                }
                const std::string log = game.Log();
                return log.find("bench pingpong") != std::string::npos ||
                       log.find("bench failed") != std::string::npos;
            },
            600000);
        round = LoggedRound(game.Log());
        if (!finished || !round) std::fprintf(stderr, "plug-in run:\n%s\n", game.Log().c_str());
    }
    lib("plug_destroy", handle);
    return round;
}

std::optional<double> SocketRound(long rounds, long size) {
    int sv[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, sv) != 0) return std::nullopt;
    const pid_t child = fork();
    if (child < 0) return std::nullopt;
    if (child == 0) {
        close(sv[0]);
        std::vector<char> block(static_cast<size_t>(size));
        ssize_t n = 0;
        while ((n = recv(sv[1], block.data(), block.size(), 0)) > 0) {
            if (send(sv[1], block.data(), static_cast<size_t>(n), 0) != n) break;
        }
        _exit(0);
    }
    close(sv[1]);
    std::vector<char> block(static_cast<size_t>(size), 'p');
    bool ok = true;
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < rounds && ok; ++i) {
        ok = send(sv[0], block.data(), block.size(), 0) == size &&
             recv(sv[0], block.data(), block.size(), 0) == size;
    }
    const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
    close(sv[0]);
    waitpid(child, nullptr, 0);
    if (!ok) {
        std::fprintf(stderr, "raw ping-pong failed\n");
        return std::nullopt;
    }
    return took.count() / static_cast<double>(rounds);
}

}  // namespace

int main(int argc, char** argv) {
    const long pairs = argc > 1 ? std::atol(argv[1]) : 7;
    const long rounds = argc > 2 ? std::atol(argv[2]) : 10000;
    const long size = argc > 3 ? std::atol(argv[3]) : 64;
    if (pairs < 1 || rounds < 1 || size < 1 || size > 1000) {
        std::fprintf(stderr, "usage: plugins_bench [PAIRS >= 1 [ROUNDS >= 1 [SIZE 1..1000]]]\n");
        return 2;
    }
    plug::testing::StartLoop();
    bench::PairSummary summary("plugin-rtt-vs-socket", "us per round");
    {
        plug::testing::PlugLibrary lib("Sondrel");
        for (long i = 0; i < pairs; ++i) {
            const std::optional<double> plugin = PluginRound(lib, rounds, size);
            const std::optional<double> socket = SocketRound(rounds, size);
            if (!plugin || !socket) return 1;
            summary.add(*plugin, *socket);
        }
    }
    std::printf("game <-> Sondrel <-> host round trips of %ld-byte texts, %ld rounds a batch\n",
                size, rounds);
    std::fputs(
        summary.report("game -> plug-in -> host -> plug-in -> game", "raw SOCK_SEQPACKET ping-pong")
            .c_str(),
        stdout);
    ml_shutdown();
    return 0;
}
