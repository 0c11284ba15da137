#pragma once

namespace syslite {

// Runs the static initialisation of the system-utilities binding: the constants and the
// primitives bound by name from "syslite" (those of syslite.win.Tools wait for their first
// use). The program runs it once at start.
void initClasses();

}  // namespace syslite
