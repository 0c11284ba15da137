#include "lobby/bindings/cef/cef_request.h"

#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/value_access.h"
#include "runtime/class_builder.h"
#include "runtime/create.h"

namespace cef {
namespace {

using R = CefRequest;

std::optional<std::string> text(const rt::Value& v) {
    return rt::fromValue<std::optional<std::string>>(v);
}

}  // namespace

BINDINGS_PRIMITIVE_CLASS(CefRequest, CEFHX_REQUEST_PRIMITIVES, "cefhx")

std::optional<std::string> CefRequest::getFirstPartyForCookies() {
    return text(request_getfirstcookie(_handle));
}

void CefRequest::setHeader(std::optional<std::string> name, std::optional<std::string> value) {
    request_setheader(_handle, name, value);
}

std::optional<std::string> CefRequest::getHeader(std::optional<std::string> name) {
    return text(request_getheader(_handle, name));
}

std::optional<std::string> CefRequest::set_method(std::optional<std::string> method) {
    request_setmethod(_handle, method);
    return method;
}

std::optional<std::string> CefRequest::get_method() {
    return text(request_getmethod(_handle));
}

std::optional<std::string> CefRequest::set_url(std::optional<std::string> url) {
    request_seturl(_handle, url);
    return url;
}

std::optional<std::string> CefRequest::get_url() {
    return text(request_geturl(_handle));
}

const rt::ClassInfo& CefRequest::staticClassInfo() {
    static const rt::ClassInfo& info = []() -> const rt::ClassInfo& {
        rt::ClassBuilder<R> builder("cef.CefRequest");
        bindings::addPrimitiveStatics(builder, kPrimitives);
        return builder.field("_handle", &R::_handle)
            .property("method", &R::get_method, &R::set_method)
            .property("url", &R::get_url, &R::set_url)
            .methods(RT_NAMED(R, getFirstPartyForCookies, setHeader, getHeader))
            .creator([](std::span<const rt::Value> args) -> rt::Ref<rt::Object> {
                rt::Ref<R> request = rt::create<R>();
                if (!args.empty()) request->_handle = args[0];
                return request;
            })
            .build();
    }();
    return info;
}

RT_REGISTER_CLASS(CefRequest);

}  // namespace cef
