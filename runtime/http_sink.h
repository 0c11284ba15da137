#pragma once

#include <cstddef>
#include <cstdint>

namespace rt {

// Receives a response body as it arrives (an output stream the HTTP client writes into).
class HttpSink {
public:
    virtual ~HttpSink() = default;

    // Called once, before the first write, when the response announces its body length; a body
    // of length 0 gets prepare(0) and no write. Not called when the length is unknown.
    virtual void prepare(int64_t length);
    // Writes up to `length` bytes and answers how many it took; the client offers the rest again.
    // The default writes byte by byte through writeByte.
    virtual size_t writeBytes(const uint8_t* data, size_t length);
    virtual void writeByte(uint8_t byte) = 0;
};

}  // namespace rt
