#include "lobby/app/app_windows.h"

#include <utility>

#include "lobby/app/lobby_window.h"
#include "lobby/app/login_window.h"

namespace lobby {

// Out of line: the window classes are complete only here.
AppWindows::AppWindows() = default;
AppWindows::~AppWindows() = default;

void installGameWindows(std::unique_ptr<GameWindows> registry) {
    appWindows().games = std::move(registry);
}

GameWindows* gameWindows() {
    return appWindows().games.get();
}

}  // namespace lobby
