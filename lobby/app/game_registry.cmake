# Main's game-window registry (openGame, getGameWindow, closeGame, destroyGame).
list(APPEND LOBBY_SOURCES app/game_registry.cpp)
list(APPEND LOBBY_TESTS app/game_registry)
