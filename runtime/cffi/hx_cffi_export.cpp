// Compiled into each executable so that it exports `hx_cffi` for the native libraries it loads
// (see morvick_exports_cffi in runtime/core.cmake).
#include "runtime/cffi/hx_cffi.h"
#include "runtime/value_interface.h"

extern "C" __attribute__((visibility("default"))) void* hx_cffi(const char* name) {
    return morvick_hx_cffi(name);
}
