// clientini scramble|unscramble <input> [<output>]
// Converts "Client.ini" between its plain and its scrambled form; without an output the input
// is replaced.
#include <cstdio>
#include <exception>
#include <string>

#include "lobby/clientini/client_ini_file.h"

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if ((mode != "scramble" && mode != "unscramble") || argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: clientini scramble|unscramble <input> [<output>]\n");
        return 2;
    }
    try {
        clientini::convertFile(
            argv[2], argc == 4 ? argv[3] : argv[2],
            mode == "scramble" ? clientini::Direction::Scramble : clientini::Direction::Unscramble);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "clientini: %s\n", e.what());
        return 1;
    }
    return 0;
}
