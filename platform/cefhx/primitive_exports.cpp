// Every primitive of the list exported as "name__N" (N the argument count), answering the
// address of its body; built into each library that hosts the primitives.
#include "platform/cefhx/primitive_support.h"
#include "platform/cefhx/primitives.h"

#define CEFHX_EXPORT_NAMESPACE cefhx::primitives
CEFHX_PRIMITIVES(CEFHX_EXPORT_PRIMITIVE)
