#include "lobby/bindings/cef/rect.h"

#include "runtime/class_builder.h"

namespace cef {

void Rect::construct(int32_t left, int32_t top, int32_t w, int32_t h) {
    x = left;
    y = top;
    width = w;
    height = h;
}

const rt::ClassInfo& Rect::staticClassInfo() {
    static const rt::ClassInfo& info = rt::ClassBuilder<Rect>("cef.Rect")
                                           .field("height", &Rect::height)
                                           .field("width", &Rect::width)
                                           .field("y", &Rect::y)
                                           .field("x", &Rect::x)
                                           .constructor(&Rect::construct)
                                           .build();
    return info;
}

RT_REGISTER_CLASS(Rect);

}  // namespace cef
