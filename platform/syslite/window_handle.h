#pragma once

#include <cstdint>

#include "runtime/value.h"

namespace syslite {

// The message-loop window handle a primitive was given: an Int (or a whole Float, or a text of
// digits) from 1 to 2^31 - 1. Anything else is 0, no window.
uint32_t windowHandle(const rt::Value& v);

}  // namespace syslite
