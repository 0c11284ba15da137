// A file of the application layer that reaches up into the game windows.
#include "lobby/app/window.h"
#include "lobby/games/game.h"
