#pragma once

#include <string>

#include "runtime/function.h"

namespace rt {

// The runtime's own native libraries ("std", "regexp") live inside the runtime: their
// primitives are Value functions registered in a table under the export name. A source file
// of the runtime registers each of its primitives with a static of this type:
//   static const rt::BuiltinPrimitive fileContents("std", "file_contents", 1, &fileContentsImpl);
class BuiltinPrimitive {
public:
    BuiltinPrimitive(const char* library, const char* name, int argCount, Function::Body body);
};

// True for the names of the runtime's own libraries.
bool isBuiltinLibrary(const std::string& library);
// The registered primitive under its export name ("file_contents__1"), or null.
const Function::Body* findBuiltinPrimitive(const std::string& library,
                                           const std::string& exportName);

// The export name of a primitive: "name__N", or "name__MULT" above 5 arguments.
std::string exportName(const std::string& name, int argCount);

}  // namespace rt
