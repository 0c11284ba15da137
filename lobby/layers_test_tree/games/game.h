// A game-window header, which may include the application.
#include "lobby/app/window.h"
