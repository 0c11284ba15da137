# The game-window layer, morvicklobbygames: one class a window mode, their shared page and plug-in
# helpers, and the registry that makes the window a mode names (installed into the application
# when the library is loaded).
add_library(morvicklobbygames SHARED
    games/fish_game_window.cpp
    games/game_match.cpp
    games/game_page.cpp
    games/game_registry.cpp
    games/game_window.cpp
    games/html_game_window.cpp
    games/linked_plug_window.cpp
    games/init_classes.cpp
    games/np_plug_window.cpp
    games/pexmor_fish_game_window.cpp
    games/plug_game_window.cpp
    games/plug_packets.cpp
    games/plug_session.cpp
    games/unity_game_window.cpp
)
target_link_libraries(morvicklobbygames PUBLIC morvicklobbyapp)
list(APPEND LOBBY_TESTS
    games/fish_game_window
    games/game_match
    games/game_registry
    games/game_window
    games/html_game_window
    games/np_plug_window
    games/pexmor_fish_game_window
    games/plug_game_window
    games/plug_session
    games/unity_game_window
)

# The plug-in game windows against the real plug-in libraries and the game stand-in: the test
# program exports the host value interface the plug-ins call back through.
morvick_test(lobby_games_plug_windows_live_test SOURCES games/plug_windows_live_test.cpp
    LIBS morvicklobby morvickbindings_fakehost plughost)
add_dependencies(lobby_games_plug_windows_live_test fakegame PexmorPlug RavoPlug Sondrel npPlug)
target_compile_definitions(lobby_games_plug_windows_live_test PRIVATE
    MORVICK_EXAMPLES="${PROJECT_SOURCE_DIR}/examples/install")
