#pragma once
// Test equipment: runs the real game stand-in (tools/fakegame) against a plug-in window and
// reads back what it logged.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/test_folder.h"

namespace plug::testing {

// One message as the game logged it.
struct LoggedMessage {
    uint16_t main = 0;
    uint16_t sub = 0;
    uint64_t tag = 0;
    size_t bytes = 0;
    std::vector<uint8_t> payload;
    std::string decoded;  // the decoding line, without its indent; empty when none
};

// Runs the message loop until done() holds or limitMs of real time have passed; answers done().
bool PumpUntil(const std::function<bool()>& done, int limitMs = 15000);

// A scratch folder with a link to the game stand-in, its script and its log.
class GameRun {
public:
    GameRun();

    // The program path a plug-in is given: the stand-in with its options. The script is
    // written to a file; textPrefix tells the stand-in the library's text prefix.
    std::u16string Program(std::string_view script, size_t textPrefix) const;

    std::string Log() const;
    std::vector<LoggedMessage> Messages() const;
    std::vector<LoggedMessage> Messages(uint16_t main, uint16_t sub) const;
    // Waits for the log to hold the text.
    bool WaitForLog(std::string_view text, int limitMs = 15000) const;
    // Waits until the game has logged count messages of the code.
    bool WaitForMessages(uint16_t main, uint16_t sub, size_t count = 1, int limitMs = 15000) const;
    // The stand-in's own window as it logged it at start, 0 before.
    uint32_t GameWindow() const;

    const std::string& folder() const { return folder_.path(); }

private:
    rt::testing::TestFolder folder_;
};

// The folder of the running test program, where the stand-in is built too.
std::string ProgramFolder();

}  // namespace plug::testing
