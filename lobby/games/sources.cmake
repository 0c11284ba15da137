# The game windows: one class a window mode, their shared page and plug-in helpers.
list(APPEND LOBBY_SOURCES
    games/fish_game_window.cpp
    games/game_match.cpp
    games/game_page.cpp
    games/game_window.cpp
    games/html_game_window.cpp
    games/init_classes.cpp
    games/np_plug_window.cpp
    games/pexmor_fish_game_window.cpp
    games/plug_game_window.cpp
    games/plug_packets.cpp
    games/unity_game_window.cpp
)
