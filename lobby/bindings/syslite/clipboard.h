#pragma once

#include <optional>
#include <string>

#include "runtime/object.h"
#include "runtime/primitive.h"

namespace syslite {

// Plain text on the system clipboard.
class Clipboard final : public rt::Object {
    RT_CLASS(Clipboard)
public:
    static inline rt::Primitive _set_clipboard_data;
    static inline rt::Primitive _get_clipboard_data;
    static inline rt::Primitive _clear_clipboard;

    // Binds the primitives from "syslite".
    static void initStatics();

    static void setText(std::optional<std::string> text);
    static std::optional<std::string> getText();
    static void clear();
};

}  // namespace syslite
