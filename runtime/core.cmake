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
    thread
)
set(RT_CORE_LIBS)

# The forwarder that makes an executable export `hx_cffi` for the native libraries it loads.
add_library(morvick_cffi_export OBJECT ${CMAKE_CURRENT_SOURCE_DIR}/cffi/hx_cffi_export.cpp)
target_include_directories(morvick_cffi_export PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(morvick_cffi_export INTERFACE morvickrt)
target_link_options(morvick_cffi_export INTERFACE "LINKER:--export-dynamic-symbol=hx_cffi")

# morvick_exports_cffi(<target>): the executable <target> exports `hx_cffi` (nm -D lists it).
function(morvick_exports_cffi target)
    target_link_libraries(${target} PRIVATE morvick_cffi_export)
endfunction()

# A native library for the loader and value-interface tests only; it lands beside the test
# programs so that the loader finds it by name, and is never installed.
add_library(cffiprobe SHARED ${CMAKE_CURRENT_SOURCE_DIR}/testlib/cffi_probe.c)
target_include_directories(cffiprobe PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(cffiprobe PRIVATE ${CMAKE_DL_LIBS})
set(RT_TEST_LIBS_primitive morvick_cffi_export)
set(RT_TEST_LIBS_value_interface morvick_cffi_export)
cmake_language(DEFER CALL add_dependencies rt_primitive_test cffiprobe)
