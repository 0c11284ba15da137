// Standard base64 (with "=" padding): DevTools carries binary data this way, request bodies we
// fulfil and screenshots it captures.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace cefhx {

std::string base64Encode(const void* data, size_t size);
// The bytes of a base64 text; none when it is not valid base64.
std::optional<std::string> base64Decode(std::string_view text);

}  // namespace cefhx
