// Copy-data frames arrive from any process of the user. A frame is judged whatever its bytes;
// one judged good states a payload that fits the bytes received and the limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/msgloop/wire.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr size_t kMaxPayload = 4096;
    msgloop::FrameHeader header{};
    const msgloop::FrameCheck check = msgloop::check_frame(data, size, kMaxPayload, &header);
    if (check == msgloop::FrameCheck::kGood) {
        if (header.size > kMaxPayload || sizeof header + header.size != size) std::abort();
    }
    return 0;
}
