# The download layer, morvicklobbydownload: DownloadGame with its progress metering, file lists
# and workers. It reads the application's state through lobby_values.cpp.
add_library(morvicklobbydownload SHARED
    download/atomic_file.cpp
    download/download_game.cpp
    download/download_workers.cpp
    download/file_job.cpp
    download/file_pool.cpp
    download/game_file_lists.cpp
    download/lobby_values.cpp
    download/progress.cpp
    download/progress_list.cpp
    download/safe_path.cpp
)
target_link_libraries(morvicklobbydownload PUBLIC morvicklobbyapp)
list(APPEND LOBBY_TESTS
    download/game_file_lists
    download/progress
)
list(APPEND LOBBY_THREADED_TESTS
    download/download_queue
)

# Tests against loopback servers link the test server as well.
foreach(t download_game download_library example_server)
    morvick_test(lobby_download_${t}_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/${t}_test.cpp
        LIBS morvicklobby morvickbindings_fakehost testhttp msgloop LABELS threaded)
endforeach()

# The end-to-end download on the test host (the end-to-end support comes from lobby/e2e).
morvick_test(lobby_download_e2e_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/download_e2e_test.cpp
    LIBS lobby_e2e_support testhttp morvickrt)
set_tests_properties(lobby_download_e2e_test PROPERTIES TIMEOUT 600)
