#include "plugins/core/testing/game_run.h"

#include "platform/msgloop/msgloop.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace plug::testing {

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> FromHex(std::string_view hex) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(
            static_cast<uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return bytes;
}

}  // namespace

bool PumpUntil(const std::function<bool()>& done, int limitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        ml_pump(20, nullptr);
    }
    return true;
}

std::string ProgramFolder() {
    return fs::read_symlink("/proc/self/exe").parent_path().string();
}

// A short stem keeps the game's command line well inside its limit.
GameRun::GameRun() : folder_("pg") {
    fs::create_symlink(fs::path(ProgramFolder()) / "fakegame", fs::path(folder_.path()) / "game");
}

std::u16string GameRun::Program(std::string_view script, size_t textPrefix) const {
    std::ofstream(folder_ / "s") << script;
    const std::string program = folder_ / "game" + " --prefix=" + std::to_string(textPrefix) +
                                " --log=" + folder_ / "log" + " --script=" + folder_ / "s";
    return std::u16string(program.begin(), program.end());
}

std::string GameRun::Log() const {
    std::ifstream in(folder_ / "log");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<LoggedMessage> GameRun::Messages() const {
    std::vector<LoggedMessage> messages;
    std::istringstream lines(Log());
    std::string line;
    while (std::getline(lines, line)) {
        if (line.starts_with("  ") && !messages.empty()) {
            messages.back().decoded = line.substr(2);
            continue;
        }
        unsigned main = 0, sub = 0;
        unsigned long long tag = 0;
        size_t bytes = 0;
        int hexAt = 0;
        if (std::sscanf(line.c_str(), "recv %u,%u data=%llu bytes=%zu hex=%n", &main, &sub, &tag,
                        &bytes, &hexAt) == 4 &&
            hexAt > 0) {
            messages.push_back({static_cast<uint16_t>(main),
                                static_cast<uint16_t>(sub),
                                tag,
                                bytes,
                                FromHex(std::string_view(line).substr(hexAt)),
                                {}});
        }
    }
    return messages;
}

std::vector<LoggedMessage> GameRun::Messages(uint16_t main, uint16_t sub) const {
    std::vector<LoggedMessage> chosen;
    for (auto& message : Messages()) {
        if (message.main == main && message.sub == sub) chosen.push_back(std::move(message));
    }
    return chosen;
}

bool GameRun::WaitForLog(std::string_view text, int limitMs) const {
    return PumpUntil([&] { return Log().find(text) != std::string::npos; }, limitMs);
}

bool GameRun::WaitForMessages(uint16_t main, uint16_t sub, size_t count, int limitMs) const {
    return PumpUntil([&] { return Messages(main, sub).size() >= count; }, limitMs);
}

uint32_t GameRun::GameWindow() const {
    const std::string log = Log();
    const size_t at = log.find("start window=");
    return at == std::string::npos ? 0 : static_cast<uint32_t>(std::stoul(log.substr(at + 13)));
}

}  // namespace plug::testing
