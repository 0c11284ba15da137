#include "lobby/bindings/cef/cef_response.h"

#include "lobby/bindings/value_access.h"
#include "runtime/class_builder.h"

namespace cef {

const rt::ClassInfo& CefResponse::staticClassInfo() {
    static const rt::ClassInfo& info = rt::ClassBuilder<CefResponse>("cef.CefResponse")
                                           .field("end", &CefResponse::end)
                                           .field("redirectUrl", &CefResponse::redirectUrl)
                                           .field("mimeType", &CefResponse::mimeType)
                                           .field("status", &CefResponse::status)
                                           .constructor()
                                           .build();
    return info;
}

RT_REGISTER_CLASS(CefResponse);

}  // namespace cef
