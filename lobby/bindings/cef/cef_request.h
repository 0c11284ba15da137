#pragma once

#include <optional>
#include <string>

#include "lobby/bindings/primitive_binder.h"
#include "runtime/object.h"
#include "runtime/primitive.h"

namespace cef {

// A request the host owns, read and changed through the host on every access. Made only by
// name, with the host's request handle as the first argument.
class CefRequest final : public rt::Object {
    RT_CLASS(CefRequest)
public:
    // The primitives this class binds, each in a static named as the program reads it.
    CEFHX_REQUEST_PRIMITIVES(BINDINGS_DECLARE_PRIMITIVE)

    // Binds the primitives from "cefhx".
    static void initStatics();

    rt::Value _handle;

    std::optional<std::string> getFirstPartyForCookies();
    void setHeader(std::optional<std::string> name, std::optional<std::string> value);
    std::optional<std::string> getHeader(std::optional<std::string> name);
    std::optional<std::string> set_method(std::optional<std::string> method);
    std::optional<std::string> get_method();
    std::optional<std::string> set_url(std::optional<std::string> url);
    std::optional<std::string> get_url();
};

}  // namespace cef
