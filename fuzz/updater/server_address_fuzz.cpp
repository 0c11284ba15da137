// Stored server addresses come back from "UpdateTemp.ini", a file anybody on the machine may
// have edited: decoding must take any text, and encoding then decoding gives
// any non-empty address back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "updater/server_address.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    (void)haldor::DecodeStoredAddress(text);
    (void)haldor::WithHttpScheme(text);
    if (!text.empty() && haldor::DecodeStoredAddress(haldor::EncodeStoredAddress(text)) != text)
        std::abort();
    return 0;
}
