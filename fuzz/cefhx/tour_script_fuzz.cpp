// Tour files are read from a path in the environment: any text parses or is reported at a line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/cefhx/tour_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const cefhx::TourScript script = cefhx::parseTour(text);
    if (!script.ok() && script.errorLine < 0) std::abort();
    (void)cefhx::windowLabel(text);
    return 0;
}
