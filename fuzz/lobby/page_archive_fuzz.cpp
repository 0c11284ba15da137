// The resource archive comes from the installation folder, which anybody who can write there may
// have replaced: unscrambling and reading must take any bytes, failing only with the reader's
// error, and never hand back an entry above the cap.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "lobby/app/xor_zip_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    lobby::xorEveryThirdByte(bytes);
    try {
        for (const lobby::ZipEntry& entry : lobby::readZipEntries(bytes, "fuzz.pak")) {
            if (entry.data.size() > lobby::kZipEntryCap) std::abort();
        }
    } catch (const std::runtime_error&) {
    }
    return 0;
}
