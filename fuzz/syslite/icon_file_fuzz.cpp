// Icon files come from the installation folder: decoding any bytes must stay inside them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/syslite/icon_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (auto image = syslite::decodeIcon(bytes)) {
        syslite::IconImage scaled = syslite::scaleIcon(*image, 24, 24);
        if (scaled.argb.size() != 24u * 24u) std::abort();
    }
    return 0;
}
