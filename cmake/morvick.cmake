# Project helpers.

# morvick_test(<name> SOURCES <files...> [LIBS <targets...>] [LABELS <labels...>])
# Builds one GoogleTest program and registers it with CTest. Tests that start threads carry
# the label "threaded" so the ThreadSanitizer build runs them.
function(morvick_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;UBSAN_OPTIONS=print_stacktrace=1;TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1")
    if(T_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
    endif()
endfunction()

# morvick_fuzz(<name> SOURCES <files...> [LIBS <targets...>])
# Builds one libFuzzer target (fuzz builds only). Its seed corpus is fuzz/corpus/<name>; inputs
# that once failed it live in fuzz/regressions/<name> and are replayed on every fuzz run.
function(morvick_fuzz name)
    cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
    if(NOT EXISTS ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
        message(FATAL_ERROR "fuzz target ${name} has no seed corpus in fuzz/corpus/${name}")
    endif()
    add_executable(${name} ${F_SOURCES})
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_dependencies(fuzz_all ${name})
    set_property(GLOBAL APPEND PROPERTY MORVICK_FUZZ_TARGETS ${name})
endfunction()
