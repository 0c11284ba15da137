#pragma once

namespace cef {

// Registers every class of the browser binding and runs their static initialisation: the
// constants, the task list, and the primitives bound by name from "cefhx". The program runs it
// once at start, before any window exists; a library that cannot be loaded ends it with the
// runtime's load failure.
void initClasses();

}  // namespace cef
