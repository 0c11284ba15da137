// The primitive of libZorbtools.so: the machine's hardware text.
#include "platform/shared/primitive_export.h"
#include "platform/zorbtools/hardware_text.h"

namespace {

::value trox_gethardinfo() {
    return platform::guarded("Zorbtools", "trox_gethardinfo",
                             [] { return rt::Value(zorbtools::hardwareText("")); });
}

}  // namespace

MORVICK_PRIMITIVE(trox_gethardinfo, 0)
