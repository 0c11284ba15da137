// The request primitives (cef::CefRequest): no host hands out a request handle, so every one
// answers null.
#include "platform/cefhx/primitives.h"

namespace cefhx::primitives {

value request_getfirstcookie(value) {
    return nullptr;
}
value request_setheader(value, value, value) {
    return nullptr;
}
value request_getheader(value, value) {
    return nullptr;
}
value request_setmethod(value, value) {
    return nullptr;
}
value request_getmethod(value) {
    return nullptr;
}
value request_seturl(value, value) {
    return nullptr;
}
value request_geturl(value) {
    return nullptr;
}

}  // namespace cefhx::primitives
