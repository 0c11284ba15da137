#pragma once

#include <cstdint>

#include "runtime/object.h"

namespace cef {

// A rectangle in pixels: position and size.
class Rect final : public rt::Object {
    RT_CLASS(Rect)
public:
    int32_t height = 0;
    int32_t width = 0;
    int32_t y = 0;
    int32_t x = 0;

    void construct(int32_t left, int32_t top, int32_t w, int32_t h);
};

}  // namespace cef
