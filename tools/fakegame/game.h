#pragma once
// The game stand-in's window and script runner: links to the plug-in window named on its
// command line, follows its script and logs every message it receives.

#include "platform/msgloop/msgloop.h"
#include "platform/shared/no_copy.h"
#include "plugins/core/message_header.h"
#include "tools/fakegame/describe.h"
#include "tools/fakegame/script.h"

#include <cstdio>
#include <map>
#include <span>
#include <utility>
#include <vector>

namespace fakegame {

struct Options {
    ml_hwnd plugin = 0;
    bool hasRoomType = false;
    int64_t roomType = 0;
    size_t textPrefix = 4;
    std::vector<Step> steps;
};

class Game : private morvick::NoCopy {
public:
    Game(const Options& options, std::FILE* log);

    // Runs the script, then the loop until a quit request; answers the exit code.
    int Run();

private:
    static intptr_t Proc(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam, void* user);
    void OnCopyData(ml_hwnd from, const ml_copydata& block);
    void OnQuitRequest();
    void Execute(const Step& step);
    // Runs the loop until count game-data messages have come in all; false on the time limit.
    bool AwaitData(int64_t count);
    void SendText(const std::string& text, bool sync);
    void Send(plug::MessageCode code, std::span<const uint8_t> payload, bool sync);
    void SendBlock(std::span<const uint8_t> block, bool sync);
    void Log(const std::string& line);
    void End(int code);
    static void CheckPlugin(void* game);

    Options options_;
    Layout layout_;
    std::FILE* log_;
    ml_hwnd window_ = 0;
    std::map<std::pair<uint16_t, uint16_t>, int64_t> counts_;
    bool stay_ = false;
    bool quiet_ = false;
    bool quit_goodbye_ = false;
    int quit_code_ = 0;
    bool ended_ = false;
    int exit_code_ = 0;
};

}  // namespace fakegame
