# The runtime's services: files and folders, environment, HTTP client, XML, JSON, MD5, regular
# expressions and text helpers.

find_package(PkgConfig REQUIRED)
pkg_check_modules(RT_SVC_DEPS REQUIRED IMPORTED_TARGET jsoncpp libcrypto pugixml)
# libcurl's headers only: the runtime opens the library on its first request (curl_library.h).
pkg_check_modules(RT_CURL REQUIRED libcurl)

set(RT_SERVICE_SOURCES
    ansi.cpp
    curl_library.cpp
    env.cpp
    file.cpp
    file_system.cpp
    http.cpp
    http_connections.cpp
    http_sink.cpp
    json.cpp
    md5.cpp
    random.cpp
    regex.cpp
    strings.cpp
    timer.cpp
    url_codec.cpp
    utf16.cpp
    xml.cpp
)

set(RT_SERVICE_TESTS
    ansi
    env
    file
    file_system
    json
    md5
    regex
    strings
    timer
    url_codec
    utf16
    xml
)

set(RT_SERVICE_THREADED_TESTS
    curl_library
    http
    http_connections
    random
)

set(RT_SERVICE_LIBS PkgConfig::RT_SVC_DEPS)
set(RT_SERVICE_INCLUDES ${RT_CURL_INCLUDE_DIRS})
set(RT_TEST_LIBS_http_connections testhttp)
