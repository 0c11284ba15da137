# The download engine fetching a 100 MB game of 200 files from nginx on loopback, against curl,
# md5sum, mv and sync doing the same work. Built only with the lobby library.
if(TARGET morvicklobby)
    add_executable(download_bench ${CMAKE_CURRENT_LIST_DIR}/download_bench.cpp)
    target_link_libraries(download_bench PRIVATE morvicklobby morvickbindings_fakehost testhttp bench_support)
endif()
