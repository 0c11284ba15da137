# The game download engine: DownloadGame with its progress metering, file lists and workers.
list(APPEND LOBBY_SOURCES
    download/atomic_file.cpp
    download/download_game.cpp
    download/download_workers.cpp
    download/file_job.cpp
    download/game_file_lists.cpp
    download/lobby_values.cpp
    download/progress.cpp
    download/progress_list.cpp
    download/safe_path.cpp
)
list(APPEND LOBBY_TESTS
    download/game_file_lists
    download/progress
)
list(APPEND LOBBY_THREADED_TESTS
    download/download_game
    download/download_queue
)
