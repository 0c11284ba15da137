# Haldor's MD5 of one file, timed against md5sum by bench/haldor_bench.sh.
if(TARGET haldor_core)
    add_executable(haldor_md5_bench ${CMAKE_CURRENT_LIST_DIR}/haldor_md5_bench.cpp)
    target_link_libraries(haldor_md5_bench PRIVATE haldor_core)
endif()
