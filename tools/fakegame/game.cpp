#include "tools/fakegame/game.h"

#include "plugins/core/text_channel.h"

#include <chrono>
#include <cinttypes>
#include <cstdlib>
#include <string>

namespace fakegame {

namespace {

// A waitfor step gives up after this long so a broken link cannot hang a test run.
constexpr uint64_t kWaitForLimitMs = 30000;
constexpr int kWaitForFailed = 3;
// The game ends by itself once the plug-in's window is gone for good, so no test run leaves a
// stand-in behind.
constexpr uint32_t kPluginCheckMs = 500;

}  // namespace

Game::Game(const Options& options, std::FILE* log)
    : options_(options), layout_(LayoutForPrefix(options.textPrefix)), log_(log) {}

void Game::Log(const std::string& line) {
    std::fprintf(log_, "%s\n", line.c_str());
    std::fflush(log_);
}

void Game::End(int code) {
    ended_ = true;
    exit_code_ = code;
    ml_post_quit(code);
}

int Game::Run() {
    if (ml_create_window(&Game::Proc, this, &window_) != ML_OK) {
        Log(std::string("error cannot create the game window: ") + ml_last_error());
        return 2;
    }
    char line[160];
    std::snprintf(line, sizeof line, "start window=%" PRIu32 " plugin=%" PRIu32, window_,
                  options_.plugin);
    std::string start = line;
    if (options_.hasRoomType) start += " room=" + std::to_string(options_.roomType);
    Log(start);
    ml_post_task(&Game::CheckPlugin, this, kPluginCheckMs);
    for (const Step& step : options_.steps) {
        if (ended_) break;
        Execute(step);
    }
    while (!ended_) {
        int code = 0;
        if (ml_run(&code) != ML_OK) break;
    }
    Log("end code=" + std::to_string(exit_code_));
    return exit_code_;
}

void Game::Execute(const Step& step) {
    switch (step.op) {
        case Op::Link:
            Send(plug::kLink, {}, step.sync);
            break;
        case Op::Goodbye:
            Send(plug::kGoodbye, {}, step.sync);
            break;
        case Op::Text:
            SendText(step.text, step.sync);
            break;
        case Op::Fill:
            SendText(std::string(static_cast<size_t>(step.a), step.text[0]), step.sync);
            break;
        case Op::PingPong:
        case Op::Flood: {
            const std::string text(static_cast<size_t>(step.b), 'p');
            const int64_t before = counts_[{1, 2}];
            const auto start = std::chrono::steady_clock::now();
            bool done = true;
            for (int64_t i = 0; i < step.a && done; ++i) {
                SendText(text, false);
                if (step.op == Op::PingPong) done = AwaitData(before + i + 1);
            }
            if (done) done = AwaitData(before + step.a);
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            char line[160];
            if (!done) {
                std::snprintf(line, sizeof line, "bench failed after %" PRId64 " replies",
                              counts_[{1, 2}] - before);
            } else if (step.op == Op::PingPong) {
                std::snprintf(line, sizeof line,
                              "bench pingpong count=%" PRId64 " size=%" PRId64 " us_per_round=%.1f",
                              step.a, step.b, seconds * 1e6 / static_cast<double>(step.a));
            } else {
                std::snprintf(line, sizeof line,
                              "bench flood count=%" PRId64 " size=%" PRId64 " texts_per_s=%.0f",
                              step.a, step.b, static_cast<double>(step.a) / seconds);
            }
            Log(line);
            break;
        }
        case Op::Raw:
            Send({static_cast<uint16_t>(step.a), static_cast<uint16_t>(step.b)}, step.payload,
                 step.sync);
            break;
        case Op::Bad: {
            std::vector<uint8_t> block = *plug::EncodeMessage(plug::kGameText, {});
            if (step.text == "short") block.resize(7);
            if (step.text == "version") block[0] = 2;
            if (step.text == "size") block[2] = 9;
            SendBlock(block, false);
            break;
        }
        case Op::WaitFor: {
            const auto key =
                std::make_pair(static_cast<uint16_t>(step.a), static_cast<uint16_t>(step.b));
            const uint64_t deadline = ml_clock_now_ms() + kWaitForLimitMs;
            while (!ended_ && counts_[key] < step.c && ml_clock_now_ms() < deadline) {
                int code = 0;
                if (ml_pump(100, &code) == ML_QUIT) End(code);
            }
            if (!ended_ && counts_[key] < step.c) {
                Log("error waitfor " + std::to_string(step.a) + "," + std::to_string(step.b) +
                    " timed out");
                End(kWaitForFailed);
            }
            break;
        }
        case Op::Wait: {
            const uint64_t until = ml_clock_now_ms() + static_cast<uint64_t>(step.a);
            while (!ended_ && ml_clock_now_ms() < until) {
                int code = 0;
                if (ml_pump(static_cast<int>(until - ml_clock_now_ms()), &code) == ML_QUIT) {
                    End(code);
                }
            }
            break;
        }
        case Op::Die:
            Log("die code=" + std::to_string(step.a));
            std::_Exit(static_cast<int>(step.a));
        case Op::Unwindow:
            Log("unwindow");
            ml_destroy_window(window_);
            break;
        case Op::Stay:
            stay_ = true;
            break;
        case Op::Quiet:
            quiet_ = true;
            break;
        case Op::QuitCode:
            quit_code_ = static_cast<int>(step.a);
            break;
        case Op::QuitGoodbye:
            quit_goodbye_ = true;
            break;
    }
}

void Game::SendText(const std::string& text, bool sync) {
    std::vector<uint8_t> payload(options_.textPrefix + text.size(), 0);
    payload[0] = 200;
    std::copy(text.begin(), text.end(), payload.begin() + options_.textPrefix);
    Send(plug::kGameText, payload, sync);
}

bool Game::AwaitData(int64_t count) {
    const uint64_t deadline = ml_clock_now_ms() + kWaitForLimitMs;
    while (!ended_ && counts_[{1, 2}] < count && ml_clock_now_ms() < deadline) {
        int code = 0;
        if (ml_pump(100, &code) == ML_QUIT) End(code);
    }
    return counts_[{1, 2}] >= count;
}

void Game::Send(plug::MessageCode code, std::span<const uint8_t> payload, bool sync) {
    const auto block = plug::EncodeMessage(code, payload);
    if (!block) {
        Log("error payload too long for " + std::to_string(code.main) + "," +
            std::to_string(code.sub));
        return;
    }
    SendBlock(*block, sync);
}

void Game::SendBlock(std::span<const uint8_t> block, bool sync) {
    const int status =
        ml_send_copydata(options_.plugin, window_, sync ? plug::kDataSync : plug::kDataQueued,
                         block.data(), static_cast<uint32_t>(block.size()), -1, nullptr);
    if (status != ML_OK) Log(std::string("error send failed: ") + ml_last_error());
}

intptr_t Game::Proc(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam, void* user) {
    auto* game = static_cast<Game*>(user);
    if (msg == ML_WM_COPYDATA) {
        game->OnCopyData(static_cast<ml_hwnd>(wparam),
                         *reinterpret_cast<const ml_copydata*>(lparam));
        return 0;
    }
    return ml_default_proc(hwnd, msg, wparam, lparam);
}

void Game::OnCopyData(ml_hwnd from, const ml_copydata& block) {
    const std::span<const uint8_t> bytes(static_cast<const uint8_t*>(block.ptr), block.size);
    if (!quiet_) {
        Log(DescribeBlock(block.data, bytes, layout_) +
            (from == options_.plugin ? "" : "\n  from another window"));
    }
    const auto view = plug::ParseMessage(bytes);
    if (!view) return;
    ++counts_[{view->code.main, view->code.sub}];
    if (view->code == plug::kQuit) OnQuitRequest();
}

void Game::CheckPlugin(void* arg) {
    auto* game = static_cast<Game*>(arg);
    if (game->ended_) return;
    if (ml_is_window(game->options_.plugin)) {
        ml_post_task(&Game::CheckPlugin, game, kPluginCheckMs);
        return;
    }
    game->Log("plugin window gone");
    game->End(0);
}

void Game::OnQuitRequest() {
    if (quit_goodbye_) Send(plug::kGoodbye, {}, true);
    if (stay_) {
        Log("quit ignored");
        return;
    }
    End(quit_code_);
}

}  // namespace fakegame
