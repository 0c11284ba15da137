// Stored server addresses come back from "UpdateTemp.ini", a file anybody on the machine may
// have edited: decoding must take any text, and encoding then decoding gives
// any non-empty address back. An address that a version file may have stored goes into the state
// file as it is and reads back the same, and it makes a request address that cracks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "updater/server_address.h"
#include "updater/url.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    (void)haldor::DecodeStoredAddress(text);
    (void)haldor::WithHttpScheme(text);
    if (!text.empty() && haldor::DecodeStoredAddress(haldor::EncodeStoredAddress(text)) != text)
        std::abort();
    if (haldor::IsStorableServerAddress(text)) {
        const std::string request =
            haldor::WithHttpScheme(haldor::DecodeStoredAddress(text)) + "/update/VerAndUrl.xml";
        if (request.size() < 200 && !haldor::CrackUrl(request)) std::abort();
        for (char c : text)
            if (c == '\r' || c == '\n' || c == '\0') std::abort();
    }
    return 0;
}
