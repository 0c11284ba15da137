# Copy-data round trips between two processes against a raw Unix socket ping-pong.
add_executable(msgloop_bench ${CMAKE_CURRENT_LIST_DIR}/msgloop_bench.cpp)
target_link_libraries(msgloop_bench PRIVATE msgloop_static)
