#pragma once

namespace syslite {

// Registers every class of the system-utilities binding and runs their static initialisation:
// the constants and the primitives bound by name from "syslite" (those of syslite.win.Tools
// wait for their first use). The program runs it once at start.
void initClasses();

}  // namespace syslite
