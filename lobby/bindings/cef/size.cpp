#include "lobby/bindings/cef/size.h"

#include "runtime/class_builder.h"

namespace cef {

void Size::construct(double w, double h) {
    width = w;
    height = h;
}

const rt::ClassInfo& Size::staticClassInfo() {
    static const rt::ClassInfo& info = rt::ClassBuilder<Size>("cef.Size")
                                           .fields(RT_NAMED(Size, height, width))
                                           .constructor(&Size::construct)
                                           .build();
    return info;
}

RT_REGISTER_CLASS(Size);

}  // namespace cef
