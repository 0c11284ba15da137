// The primitive bodies, one set for every host (primitives_*.cpp, by the binding class that binds
// them): declared from the primitive list, so a body whose arguments do not match its count
// leaves the export without a definition. Each body works through hostBackend().
#pragma once

#include "platform/cefhx/primitive_list.h"
#include "runtime/c_value.h"

// clang-format off
#define CEFHX_PRIMITIVE_PARAMS_0
#define CEFHX_PRIMITIVE_PARAMS_1 value
#define CEFHX_PRIMITIVE_PARAMS_2 value, value
#define CEFHX_PRIMITIVE_PARAMS_3 value, value, value
#define CEFHX_PRIMITIVE_PARAMS_4 value, value, value, value
#define CEFHX_PRIMITIVE_PARAMS_5 value, value, value, value, value
// clang-format on
#define CEFHX_DECLARE_PRIMITIVE(name, count, ...) value name(CEFHX_PRIMITIVE_PARAMS_##count);

namespace cefhx::primitives {
CEFHX_PRIMITIVES(CEFHX_DECLARE_PRIMITIVE)
}  // namespace cefhx::primitives

#undef CEFHX_DECLARE_PRIMITIVE
