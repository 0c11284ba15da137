#pragma once

#include <string_view>

#include "runtime/value.h"

namespace rt {

// Writes "file:line: message\n" to standard output and flushes it. The file is given without
// its folders.
void trace(std::string_view file, int line, const Value& message);

}  // namespace rt

#define RT_TRACE(message) ::rt::trace(__FILE__, __LINE__, ::rt::Value(message))
