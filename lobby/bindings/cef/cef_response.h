#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "runtime/object.h"

namespace cef {

// What a resource handler tells the host about the data it answers a resource load with.
class CefResponse final : public rt::Object {
    RT_CLASS(CefResponse)
public:
    bool end = false;
    std::optional<std::string> redirectUrl;
    std::optional<std::string> mimeType;
    int32_t status = 0;
};

}  // namespace cef
