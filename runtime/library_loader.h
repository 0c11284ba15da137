#pragma once

#include <string>
#include <vector>

namespace rt {

// The file names a library name stands for, in the order they are tried: "X" gives
// "libX.so"; "X.dll" gives "X.dll", then "libX.so"; a name ending in ".so" stays as it is.
std::vector<std::string> libraryFileNames(const std::string& library);

// The folder of the running program, ending with "/".
std::string programFolder();

// Loads a native library by name (program folder first, then the system path) once per process
// and answers its handle. Failure raises "Could not load module <library>@<primitive>".
void* openLibrary(const std::string& library, const std::string& primitive);

}  // namespace rt
