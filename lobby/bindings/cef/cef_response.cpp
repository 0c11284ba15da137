#include "lobby/bindings/cef/cef_response.h"

#include "lobby/bindings/value_access.h"
#include "runtime/class_builder.h"

namespace cef {

const rt::ClassInfo& CefResponse::staticClassInfo() {
    static const rt::ClassInfo& info =
        rt::ClassBuilder<CefResponse>("cef.CefResponse")
            .fields(RT_NAMED(CefResponse, end, redirectUrl, mimeType, status))
            .constructor()
            .build();
    return info;
}

RT_REGISTER_CLASS(CefResponse);

}  // namespace cef
