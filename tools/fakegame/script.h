#pragma once
// What the game stand-in does after it starts: a list of steps, read from a script file (one
// step a line, "#" starts a comment) or from the command line (steps separated by ";").
//
//   link [sync]                 link to the plug-in window
//   goodbye [sync]              end the link
//   text TEXT                   a text for the game window (the rest of the line, may be empty)
//   textsync TEXT               the same, handled during the call
//   fill COUNT CHAR [sync]      a text of COUNT copies of CHAR
//   raw MAIN SUB [HEX] [sync]   any message, payload given in hex
//   bad short|version|size      a block that fails the header checks
//   waitfor MAIN SUB [COUNT]    run the loop until COUNT messages (1) of that code have come
//   wait MS                     run the loop for MS milliseconds
//   die CODE                    end at once with the exit code, saying nothing
//   unwindow                    destroy the game's window and go on running
//   stay                        ignore quit requests from now on
//   quitcode CODE               exit code when ending on a quit request (0)
//   quitgoodbye                 answer a quit request with a goodbye sent during the request
//   quiet                       stop logging received messages (for benchmarks)
//   pingpong COUNT SIZE         COUNT times: a text of SIZE bytes, then wait for game data
//                               (1,2) back; logs the mean round trip
//   flood COUNT SIZE            COUNT texts of SIZE bytes at once, then wait for COUNT game data
//                               messages back; logs texts per second
//
// After the last step the game runs its loop until a quit request ends it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fakegame {

enum class Op {
    Link,
    Goodbye,
    Text,
    Fill,
    Raw,
    Bad,
    WaitFor,
    Wait,
    Die,
    Unwindow,
    Stay,
    QuitCode,
    QuitGoodbye,
    Quiet,
    PingPong,
    Flood,
};

struct Step {
    Op op = Op::Link;
    bool sync = false;
    std::string text;              // Text: the text; Bad: the fault; Fill: the character
    std::vector<uint8_t> payload;  // Raw
    int64_t a = 0;                 // main code, count, milliseconds or exit code
    int64_t b = 0;                 // sub code
    int64_t c = 0;                 // WaitFor: count
};

// Throws std::runtime_error naming the step and its line when a step cannot be read.
std::vector<Step> ParseScript(std::string_view text, char separator);

}  // namespace fakegame
