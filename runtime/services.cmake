# The runtime's services: files and folders, environment, HTTP client, XML, JSON, MD5, regular
# expressions and text helpers.

find_package(PkgConfig REQUIRED)
pkg_check_modules(RT_SVC_DEPS REQUIRED IMPORTED_TARGET jsoncpp libcurl libcrypto pugixml)

set(RT_SERVICE_SOURCES
    ansi.cpp
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
    http
    http_connections
    random
)

set(RT_SERVICE_LIBS PkgConfig::RT_SVC_DEPS)
set(RT_TEST_LIBS_http_connections testhttp)
