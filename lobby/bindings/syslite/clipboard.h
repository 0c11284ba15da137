#pragma once

#include <optional>
#include <string>

#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/syslite/primitive_list.h"
#include "runtime/object.h"
#include "runtime/primitive.h"

namespace syslite {

// Plain text on the system clipboard.
class Clipboard final : public rt::Object {
    RT_CLASS(Clipboard)
public:
    SYSLITE_CLIPBOARD_PRIMITIVES(BINDINGS_DECLARE_PRIMITIVE)

    // Binds the primitives from "syslite".
    static void initStatics();

    static void setText(std::optional<std::string> text);
    static std::optional<std::string> getText();
    static void clear();
};

}  // namespace syslite
