#include "lobby/games/init_classes.h"

#include "lobby/games/fish_game_window.h"
#include "lobby/games/game_match.h"
#include "lobby/games/pexmor_fish_game_window.h"
#include "lobby/games/plug_game_window.h"

namespace lobby::games {

void initClasses() {
    GameMatch::initStatics();
    PexmorFishGameWindow::initStatics();
    PlugGameWindow::initStatics();
    FishGameWindow::initStatics();
}

}  // namespace lobby::games
