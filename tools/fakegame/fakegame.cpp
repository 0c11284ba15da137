// fakegame: stands in for a game program started by a plug-in.
//
//   fakegame [--prefix=516|4] [--log=FILE] [--script=FILE | --do=STEPS] /RoomType:N /Transmittal:H
//
// Without a script it links and then waits for the quit request. The steps are described in
// tools/fakegame/script.h; --do takes them separated by ";". The log (standard error by default)
// gets one block of lines for every message received.

#include "tools/fakegame/game.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

int64_t ParseNumber(std::string_view text, const char* what) {
    const std::string copy(text);
    char* end = nullptr;
    errno = 0;
    const long long number = std::strtoll(copy.c_str(), &end, 10);
    if (copy.empty() || *end != '\0' || errno != 0) {
        throw std::runtime_error(std::string("fakegame: bad ") + what + " '" + copy + "'");
    }
    return number;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("fakegame: cannot read script file '" + path + "'");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

int main(int argc, char** argv) {
    fakegame::Options options;
    std::string logPath;
    bool scripted = false;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string_view arg = argv[i];
            if (arg.starts_with("/RoomType:")) {
                options.hasRoomType = true;
                options.roomType = ParseNumber(arg.substr(10), "room type");
            } else if (arg.starts_with("/Transmittal:")) {
                options.plugin = static_cast<ml_hwnd>(ParseNumber(arg.substr(13), "window handle"));
            } else if (arg.starts_with("--prefix=")) {
                options.textPrefix = static_cast<size_t>(ParseNumber(arg.substr(9), "prefix"));
            } else if (arg.starts_with("--log=")) {
                logPath = arg.substr(6);
            } else if (arg.starts_with("--script=")) {
                options.steps = fakegame::ParseScript(ReadFile(std::string(arg.substr(9))), '\n');
                scripted = true;
            } else if (arg.starts_with("--do=")) {
                options.steps = fakegame::ParseScript(arg.substr(5), ';');
                scripted = true;
            } else {
                throw std::runtime_error("fakegame: unknown argument '" + std::string(arg) + "'");
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }
    if (options.textPrefix < 4) {
        std::fprintf(stderr, "fakegame: the text prefix must be at least 4 bytes\n");
        return 2;
    }
    if (!scripted) options.steps = {fakegame::Step{}};
    std::FILE* log = stderr;
    if (!logPath.empty()) {
        log = std::fopen(logPath.c_str(), "a");
        if (log == nullptr) {
            std::fprintf(stderr, "fakegame: cannot open log file '%s'\n", logPath.c_str());
            return 2;
        }
    }
    if (ml_init() != ML_OK) {
        std::fprintf(log, "error message loop: %s\n", ml_last_error());
        return 2;
    }
    int code = 0;
    {
        fakegame::Game game(options, log);
        code = game.Run();
    }
    ml_shutdown();
    if (log != stderr) std::fclose(log);
    return code;
}
