#pragma once

#include <optional>
#include <string>

#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/syslite/primitive_list.h"
#include "runtime/object.h"
#include "runtime/primitive.h"

namespace syslite {

// Opens an address in the system's default browser.
class Browser final : public rt::Object {
    RT_CLASS(Browser)
public:
    SYSLITE_BROWSER_PRIMITIVES(BINDINGS_DECLARE_PRIMITIVE)

    // Binds the primitive from "syslite".
    static void initStatics();

    // True when the library reports success; raises on a system other than Mac or Windows.
    static bool launch(std::optional<std::string> url);
};

}  // namespace syslite
