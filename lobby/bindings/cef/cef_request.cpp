#include "lobby/bindings/cef/cef_request.h"

#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/value_access.h"
#include "runtime/class_builder.h"
#include "runtime/create.h"

namespace cef {
namespace {

struct RequestPrimitive {
    rt::Primitive* slot;
    const char* name;
    int argCount;
};

using R = CefRequest;

const RequestPrimitive kPrimitives[] = {
    {&R::request_getfirstcookie, "request_getfirstcookie", 1},
    {&R::request_setheader, "request_setheader", 3},
    {&R::request_getheader, "request_getheader", 2},
    {&R::request_setmethod, "request_setmethod", 2},
    {&R::request_getmethod, "request_getmethod", 1},
    {&R::request_seturl, "request_seturl", 2},
    {&R::request_geturl, "request_geturl", 1},
};

std::optional<std::string> text(const rt::Value& v) {
    return rt::fromValue<std::optional<std::string>>(v);
}

}  // namespace

void CefRequest::initStatics() {
    for (const RequestPrimitive& p : kPrimitives) {
        *p.slot = bindings::bindPrimitive("cefhx", p.name, p.argCount);
    }
}

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
        for (const RequestPrimitive& p : kPrimitives) builder.staticField(p.name, p.slot);
        return builder.field("_handle", &R::_handle)
            .property("method", &R::get_method, &R::set_method)
            .property("url", &R::get_url, &R::set_url)
            .method("getFirstPartyForCookies", &R::getFirstPartyForCookies)
            .method("setHeader", &R::setHeader)
            .method("getHeader", &R::getHeader)
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
