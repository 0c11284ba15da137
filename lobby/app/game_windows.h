#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "runtime/value.h"

namespace lobby {

// What the application asks of the game windows: the list of open game windows, which opens a
// room in the window class its window mode names. The application knows no game-window class;
// the game-window layer installs its registry here when it is loaded, and Main's game
// operations go through it. UI thread only.
class GameWindows {
public:
    virtual ~GameWindows() = default;

    // Opens the room's game window or brings the matching one forward. gameInfo and gameRoom
    // are the lobby page's records; the last three arguments are the optional ones of the
    // window modes 2, 3 and 4.
    virtual void openGame(rt::Value gameInfo, rt::Value gameRoom, bool isFixSeat, rt::Value arg4,
                          rt::Value arg5, std::string arg6) = 0;
    // The first open game window of the key, or null.
    virtual rt::Value getGameWindow(int32_t gameType, int32_t roomType, int32_t roomLevel) = 0;
    // A game window that is being destroyed leaves the list.
    virtual void closeGame(const rt::Value& window) = 0;
    // The lobby page closes the game window of a key.
    virtual void destroyGame(int32_t gameType, int32_t roomType, int32_t roomLevel) = 0;
};

// Installs the registry the game operations go through, replacing any before it.
void installGameWindows(std::unique_ptr<GameWindows> registry);
// The installed registry; null before one is installed.
GameWindows* gameWindows();

}  // namespace lobby
