#pragma once

#include <cstdint>
#include <string>

#include "lobby/app/game_windows.h"
#include "lobby/games/game_window.h"
#include "runtime/value.h"

namespace lobby {

// The list of open game windows (the application's gamesWindow): which window a room opens in,
// made of the class its window mode names, and what happens when one closes. Installed as the
// application's game-window registry when this library is loaded.
class GameRegistry final : public GameWindows {
public:
    void openGame(rt::Value gameInfo, rt::Value gameRoom, bool isFixSeat, rt::Value arg4,
                  rt::Value arg5, std::string arg6) override;
    rt::Value getGameWindow(int32_t gameType, int32_t roomType, int32_t roomLevel) override;
    void closeGame(const rt::Value& window) override;
    void destroyGame(int32_t gameType, int32_t roomType, int32_t roomLevel) override;

private:
    static rt::Ref<GameWindow> find(int32_t gameType, int32_t roomType, int32_t roomLevel);
};

}  // namespace lobby
