# The lobby's windows: the window base, the login window, the lobby window (with its tray menu,
# boss key and system messages) and the helpers the game windows share with them.
list(APPEND LOBBY_APP_SOURCES
    app/base_window.cpp
    app/lobby_window.cpp
    app/lobby_window_system.cpp
    app/login_window.cpp
    app/page_calls.cpp
    app/page_prompts.cpp
    app/resource_response.cpp
    app/script_text.cpp
    app/url_rules.cpp
)
list(APPEND LOBBY_TESTS
    app/base_window
    app/lobby_window
    app/lobby_window_system
    app/login_window
    app/script_text
)
