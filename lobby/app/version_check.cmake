# The installed-game version check: the VersionCheck part, behind Main::checkUpdate and
# Main::isGameNeedUpdate. Its test runs the check against loopback version servers, so it links
# the test server as well.
list(APPEND LOBBY_APP_SOURCES app/version_check.cpp)
morvick_test(lobby_app_version_check_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/version_check_test.cpp
    LIBS morvicklobby morvickbindings_fakehost testhttp LABELS threaded)
