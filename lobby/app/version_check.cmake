# The installed-game version check: Main::checkUpdate and Main::isGameNeedUpdate.
list(APPEND LOBBY_SOURCES app/version_check.cpp)
list(APPEND LOBBY_THREADED_TESTS app/version_check)
