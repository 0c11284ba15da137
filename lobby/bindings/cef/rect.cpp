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
                                           .fields(RT_NAMED(Rect, height, width, y, x))
                                           .constructor(&Rect::construct)
                                           .build();
    return info;
}

RT_REGISTER_CLASS(Rect);

}  // namespace cef
