#include "runtime/http_sink.h"

namespace rt {

void HttpSink::prepare(int64_t) {}

size_t HttpSink::writeBytes(const uint8_t* data, size_t length) {
    for (size_t i = 0; i < length; ++i) writeByte(data[i]);
    return length;
}

}  // namespace rt
