// MorvickNew: the lobby program. Binds the native libraries (browser host, system utilities,
// game plug-ins, download library), then runs the lobby application, which returns once its
// message loop has ended.
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "lobby/app/main.h"
#include "lobby/bindings/cef/init_classes.h"
#include "lobby/bindings/syslite/init_classes.h"
#include "lobby/download/download_game.h"
#include "lobby/games/init_classes.h"

namespace {

// Ends the process the way the platform ends a program whose main thread has returned: worker
// threads (the version check, download jobs) stop where they are, and no static object is torn
// down under a worker still using it.
[[noreturn]] void endProcess(int code) {
    std::fflush(nullptr);
    std::_Exit(code);
}

}  // namespace

int main() {
    try {
        cef::initClasses();
        syslite::initClasses();
        lobby::games::initClasses();
        lobby::DownloadGame::initStatics();
        lobby::Main::main();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "MorvickNew: %s\n", e.what());
        endProcess(1);
    }
    endProcess(0);
}
