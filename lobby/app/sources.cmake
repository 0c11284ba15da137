# The application layer, morvicklobbyapp: Main and the parts of its state, Config, the local
# resources and the machine code. The window classes and the version check list their own files
# in the list files included below (they append to LOBBY_APP_SOURCES).

# The eight built-in version servers, tried after the configured ones, in this order. Deployment
# values: the defaults are loopback addresses.
set(MORVICK_VERSION_SERVERS
    "http://127.0.0.1:18081/version/;http://127.0.0.1:18082/version/;http://127.0.0.1:18083/version/;http://127.0.0.1:18084/version/;http://127.0.0.1:18085/version/;http://127.0.0.1:18086/version/;http://127.0.0.1:18087/version/;http://127.0.0.1:18088/version/"
    CACHE STRING "The eight built-in version-server base addresses (a list; each ends in /version/)")
list(LENGTH MORVICK_VERSION_SERVERS _lobby_server_count)
if(NOT _lobby_server_count EQUAL 8)
    message(FATAL_ERROR "MORVICK_VERSION_SERVERS must name 8 addresses, not ${_lobby_server_count}")
endif()
set(_lobby_server_lines)
foreach(server IN LISTS MORVICK_VERSION_SERVERS)
    if(NOT server MATCHES "^http://.*/version/$")
        message(FATAL_ERROR "MORVICK_VERSION_SERVERS: ${server} is not an http address ending in /version/")
    endif()
    string(APPEND _lobby_server_lines "        \"${server}\",\n")
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/version_servers.cpp.in
    ${CMAKE_CURRENT_BINARY_DIR}/app/version_servers.cpp @ONLY)

find_package(ZLIB REQUIRED)

set(LOBBY_APP_SOURCES
    ${CMAKE_CURRENT_BINARY_DIR}/app/version_servers.cpp
    app/app_windows.cpp
    app/application.cpp
    app/config.cpp
    app/install_paths.cpp
    app/local_resources.cpp
    app/machine_code.cpp
    app/main.cpp
    app/position_key.cpp
    app/screen_metrics.cpp
    app/settings_file.cpp
    app/xor_zip_archive.cpp
)
list(APPEND LOBBY_TESTS
    app/config
    app/local_resources
    app/machine_code
    app/position_key
    app/settings_file
    app/xor_zip_archive
)
# The machine-code test finds the real hardware library beside it.
cmake_language(DEFER CALL add_dependencies lobby_app_machine_code_test Zorbtools)
# The start-up test runs the version-check thread.
list(APPEND LOBBY_THREADED_TESTS app/main)

include(${CMAKE_CURRENT_LIST_DIR}/windows.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/version_check.cmake)

add_library(morvicklobbyapp SHARED ${LOBBY_APP_SOURCES})
target_include_directories(morvicklobbyapp PUBLIC ${PROJECT_SOURCE_DIR})
# zlib is public: the archive tests build their archives with it.
target_link_libraries(morvicklobbyapp PUBLIC morvickbindings morvickrt ZLIB::ZLIB)
