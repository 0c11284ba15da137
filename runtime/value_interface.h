#pragma once

// The runtime side of the C value interface (runtime/cffi/hx_cffi.h). Executables export it as
// `hx_cffi` through runtime/cffi/hx_cffi_export.cpp (CMake: morvick_exports_cffi).
extern "C" void* morvick_hx_cffi(const char* name);
