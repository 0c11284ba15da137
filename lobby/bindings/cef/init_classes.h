#pragma once

namespace cef {

// Runs the static initialisation of the browser binding: the constants, the task list and the
// primitives bound by name from "cefhx" (the classes register by name when the library loads). The
// program runs it once at start, before any window exists; a library that cannot be loaded ends it
// with the runtime's load failure.
void initClasses();

}  // namespace cef
