#include "lobby/app/app_windows.h"

#include "lobby/app/lobby_window.h"
#include "lobby/app/login_window.h"

namespace lobby {

// Out of line: the window classes are complete only here.
AppWindows::AppWindows() = default;
AppWindows::~AppWindows() = default;

}  // namespace lobby
