# Checks the lobby's include rule: a file of a layer includes headers of its own layer and of the
# layers below it only. Run as cmake -DLOBBY_DIR=<the lobby folder> -P check_layers.cmake; every
# breach is named on the error output and the run fails. Tests (*_test.cpp, *_test_support.h)
# put the layers together and are not checked.
#
# A layer may include:
#   app        app, bindings
#   download   download, app, bindings
#   games      games, app, bindings
cmake_minimum_required(VERSION 3.20)

set(_allowed_app app bindings)
set(_allowed_download download app bindings)
set(_allowed_games games app bindings)

if(NOT LOBBY_DIR)
    message(FATAL_ERROR "check_layers.cmake: LOBBY_DIR is not set")
endif()

set(_breaches 0)
foreach(layer app download games)
    file(GLOB _files RELATIVE ${LOBBY_DIR} ${LOBBY_DIR}/${layer}/*.h ${LOBBY_DIR}/${layer}/*.cpp)
    foreach(file IN LISTS _files)
        if(file MATCHES "_test\\.cpp$" OR file MATCHES "_test_support\\.h$")
            continue()
        endif()
        file(STRINGS ${LOBBY_DIR}/${file} _lines)
        set(_number 0)
        foreach(line IN LISTS _lines)
            math(EXPR _number "${_number} + 1")
            if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*[\"<](lobby/([^/\">]+)/[^\">]*)[\">]")
                continue()
            endif()
            set(_header ${CMAKE_MATCH_1})
            set(_target_layer ${CMAKE_MATCH_2})
            if(_target_layer IN_LIST _allowed_${layer})
                continue()
            endif()
            string(REPLACE ";" ", " _may "${_allowed_${layer}}")
            message(SEND_ERROR "${file}:${_number} includes ${_header}: the ${layer} layer may "
                "include only ${_may}")
            math(EXPR _breaches "${_breaches} + 1")
        endforeach()
    endforeach()
endforeach()
if(_breaches GREATER 0)
    message(FATAL_ERROR "the lobby's layers: ${_breaches} upward or sideways include(s)")
endif()
