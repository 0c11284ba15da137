// Texts per second and round-trip latency from a game process through a plug-in to a host
// callback and back, next to a raw copy-data echo in this process as the baseline.
//
//   plugins_bench [ROUNDS [FLOOD [SIZE]]]    defaults 2000, 20000, 64

#include "platform/msgloop/msgloop.h"
#include "plugins/core/message_header.h"
#include "plugins/core/testing/game_run.h"
#include "plugins/core/testing/plug_host.h"
#include "plugins/core/text_channel.h"
#include "runtime/create.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using plug::testing::GameRun;
using plug::testing::PumpUntil;

// Answers every game text with game data carrying the same text, during the call.
intptr_t RawEcho(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam, void*) {
    if (msg != ML_WM_COPYDATA) return ml_default_proc(hwnd, msg, wparam, lparam);
    const auto* block = reinterpret_cast<const ml_copydata*>(lparam);
    const auto view = plug::ParseMessage({static_cast<const uint8_t*>(block->ptr), block->size});
    if (!view || !(view->code == plug::kGameText)) return 0;
    const auto reply = *plug::EncodeMessage(plug::kGameData, view->payload);
    ml_send_copydata(static_cast<ml_hwnd>(wparam), hwnd, plug::kDataQueued, reply.data(),
                     static_cast<uint32_t>(reply.size()), -1, nullptr);
    return 0;
}

std::string Results(const GameRun& game) {
    std::string lines;
    size_t at = 0;
    const std::string log = game.Log();
    while ((at = log.find("bench ", at)) != std::string::npos) {
        const size_t end = log.find('\n', at);
        lines += "  " + log.substr(at, end - at) + "\n";
        at = end;
    }
    return lines;
}

bool Finished(const GameRun& game) {
    const std::string log = game.Log();
    return log.find("bench flood") != std::string::npos ||
           log.find("bench failed") != std::string::npos;
}

}  // namespace

int main(int argc, char** argv) {
    const long rounds = argc > 1 ? std::atol(argv[1]) : 2000;
    const long flood = argc > 2 ? std::atol(argv[2]) : 20000;
    const long size = argc > 3 ? std::atol(argv[3]) : 64;
    const std::string script = "link\nquiet\npingpong " + std::to_string(rounds) + " " +
                               std::to_string(size) + "\nflood " + std::to_string(flood) + " " +
                               std::to_string(size) + "\n";
    plug::testing::StartLoop();

    std::string pluginResults;
    {
        plug::testing::PlugLibrary lib("Sondrel");
        auto handler = rt::create<plug::testing::Handler>();
        const rt::Value handle = lib("plug_create", handler);
        handler->then = [&](const std::string& call) {
            if (call.starts_with("onPlugMsg(")) {
                lib("plug_send", handle, call.substr(10, call.size() - 11));
            }
            handler->calls.clear();
        };
        GameRun game;
        const std::u16string program = game.Program(script, plug::kNarrowPrefix);
        lib("plug_link", handle, std::string(program.begin(), program.end()));
        if (!PumpUntil([&] { return Finished(game); }, 600000)) {
            std::fprintf(stderr, "plug-in run did not finish:\n%s\n", game.Log().c_str());
            return 1;
        }
        pluginResults = Results(game);
        lib("plug_destroy", handle);
    }

    std::string rawResults;
    {
        ml_hwnd echo = 0;
        ml_create_window(&RawEcho, nullptr, &echo);
        GameRun game;
        const std::u16string program = game.Program(script, plug::kNarrowPrefix);
        const std::string line =
            std::string(program.begin(), program.end()) + " /Transmittal:" + std::to_string(echo);
        ml_process* process = nullptr;
        if (ml_process_start(line.c_str(), &process) != ML_OK) {
            std::fprintf(stderr, "cannot start the game: %s\n", ml_last_error());
            return 1;
        }
        const bool finished = PumpUntil([&] { return Finished(game); }, 600000);
        ml_destroy_window(echo);
        ml_process_wait(process, 5000);
        ml_process_close(process);
        if (!finished) {
            std::fprintf(stderr, "raw run did not finish:\n%s\n", game.Log().c_str());
            return 1;
        }
        rawResults = Results(game);
    }

    std::printf("game -> Sondrel -> host onPlugMsg -> plug_send -> game (%ld-byte texts)\n%s", size,
                pluginResults.c_str());
    std::printf("game -> raw copy-data echo window -> game (baseline)\n%s", rawResults.c_str());
    ml_shutdown();
    return 0;
}
