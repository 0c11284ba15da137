# Fails when a source file below the lobby includes a header of a layer above its own.
#   cmake -DTOP=<source folder> -P cmake/check_layers.cmake
# Every project include is written from the top folder ("platform/msgloop/msgloop.h"), so the
# folder of an included header tells its layer. The table names, bottom up, each layer and the
# layers its sources may include besides their own; a file belongs to the longest entry that
# starts its path. Headers outside the table (system, GoogleTest, third-party) are not checked.

set(layers
    "platform/shared/expected.h|"
    "platform/shared/no_copy.h|"
    "platform/shared/text_lines.h|"
    "platform/shared/spawn_setup.h|"
    "tools/testhttp|"
    "platform/msgloop|"
    "runtime|tools/testhttp"
    "platform/shared|runtime"
    "platform/cefhx|runtime platform/msgloop platform/shared"
    "platform/syslite|runtime platform/msgloop platform/shared"
    "platform/downloadgame|runtime platform/msgloop platform/shared tools/testhttp"
    "platform/zorbtools|runtime platform/shared"
    "plugins/core|runtime platform/msgloop platform/shared"
    "plugins/pexmor|plugins/core runtime platform/msgloop platform/shared"
    "plugins/ravo|plugins/core runtime platform/msgloop platform/shared"
    "plugins/sondrel|plugins/core runtime platform/msgloop platform/shared"
    "plugins/npplug|plugins/core runtime platform/msgloop platform/shared"
    "tools/fakegame|plugins/core platform/msgloop platform/shared"
    "tools/testhost|runtime platform/msgloop platform/shared platform/cefhx"
    "updater|runtime platform/msgloop platform/shared tools/testhttp"
    # The layers above may include every layer below them; they are named so that an include of
    # one of their headers from below is recognised.
    "lobby|*"
    "bench|*"
    "fuzz|*"
    "examples|*")

# The bottom, which every layer may include.
set(bottom platform/shared/expected.h platform/shared/no_copy.h platform/shared/text_lines.h
    platform/shared/spawn_setup.h)

cmake_minimum_required(VERSION 3.25)

if(NOT TOP)
    message(FATAL_ERROR "check_layers: pass -DTOP=<source folder>")
endif()

set(names "")
foreach(entry IN LISTS layers)
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 0 name)
    list(APPEND names "${name}")
endforeach()

# The longest table entry that starts PATH (a folder followed by "/", or the whole path).
function(layer_of path out)
    set(best "")
    string(LENGTH "${best}" best_length)
    foreach(name IN LISTS names)
        string(LENGTH "${name}" length)
        string(FIND "${path}/" "${name}/" at)
        if(at EQUAL 0 AND length GREATER best_length)
            set(best "${name}")
            set(best_length ${length})
        endif()
    endforeach()
    set(${out} "${best}" PARENT_SCOPE)
endfunction()

function(allowed_of layer out)
    foreach(entry IN LISTS layers)
        string(REPLACE "|" ";" parts "${entry}")
        list(GET parts 0 name)
        if(name STREQUAL layer)
            list(LENGTH parts count)
            set(allowed "")
            if(count GREATER 1)
                list(GET parts 1 allowed)
                separate_arguments(allowed UNIX_COMMAND "${allowed}")
            endif()
            set(${out} "${allowed}" PARENT_SCOPE)
            return()
        endif()
    endforeach()
    set(${out} "" PARENT_SCOPE)
endfunction()

set(checked 0)
set(faults "")
foreach(folder runtime platform plugins updater tools)
    file(GLOB_RECURSE sources RELATIVE "${TOP}" "${TOP}/${folder}/*.h" "${TOP}/${folder}/*.cpp"
         "${TOP}/${folder}/*.c")
    foreach(source IN LISTS sources)
        layer_of("${source}" own)
        if(own STREQUAL "")
            list(APPEND faults "${source}: in no layer of cmake/check_layers.cmake")
            continue()
        endif()
        allowed_of("${own}" allowed)
        math(EXPR checked "${checked} + 1")
        file(STRINGS "${TOP}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+\"")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
            layer_of("${header}" theirs)
            string(FIND "${theirs}/" "${own}/" inside)
            if(theirs STREQUAL "" OR inside EQUAL 0)
                continue()
            endif()
            set(below FALSE)
            foreach(layer IN LISTS allowed bottom)
                string(FIND "${theirs}/" "${layer}/" at)
                if(layer STREQUAL "*" OR at EQUAL 0)
                    set(below TRUE)
                endif()
            endforeach()
            if(below)
                continue()
            endif()
            list(APPEND faults "${source} (${own}) includes ${header} (${theirs}), not below it")
        endforeach()
    endforeach()
endforeach()

if(faults)
    list(JOIN faults "\n  " text)
    message(FATAL_ERROR "Includes against the layer order:\n  ${text}")
endif()
message(STATUS "check_layers: ${checked} files, every include points down")
