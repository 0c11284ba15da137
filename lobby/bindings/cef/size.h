#pragma once

#include "runtime/object.h"

namespace cef {

// A width and a height, as the browser host measures them.
class Size final : public rt::Object {
    RT_CLASS(Size)
public:
    double height = 0;
    double width = 0;

    void construct(double w, double h);
};

}  // namespace cef
