# The runtime's core: the value model, class and enumeration descriptors, native-library binding,
# the C value interface and threads. Included by runtime/CMakeLists.txt.

set(RT_CORE_SOURCES
    array.cpp
    builtin_primitives.cpp
    c_value.cpp
    class_info.cpp
    convert.cpp
    enum_info.cpp
    heap_object.cpp
    library_loader.cpp
    mutex_object.cpp
    name_table.cpp
    object.cpp
    primitive.cpp
    record.cpp
    thread.cpp
    trace.cpp
    value.cpp
    value_interface.cpp
    value_scope.cpp
)
set(RT_CORE_TESTS
    class_info
    enum_info
    primitive
    trace
    value
    value_interface
)
set(RT_CORE_THREADED_TESTS
    deque
    ref
    thread
)
set(RT_CORE_LIBS)

# A native library for the loader and value-interface tests only; it lands beside the test
# programs so that the loader finds it by name, and is never installed.
add_library(cffiprobe SHARED ${CMAKE_CURRENT_SOURCE_DIR}/testlib/cffi_probe.c)
target_include_directories(cffiprobe PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(cffiprobe PRIVATE ${CMAKE_DL_LIBS})
cmake_language(DEFER CALL add_dependencies rt_primitive_test cffiprobe)
