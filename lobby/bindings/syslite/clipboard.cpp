#include "lobby/bindings/syslite/clipboard.h"

#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/value_access.h"
#include "runtime/class_builder.h"

namespace syslite {
BINDINGS_PRIMITIVE_CLASS(Clipboard, SYSLITE_CLIPBOARD_PRIMITIVES, "syslite")

void Clipboard::setText(std::optional<std::string> text) {
    _set_clipboard_data(text);
}

std::optional<std::string> Clipboard::getText() {
    return rt::fromValue<std::optional<std::string>>(_get_clipboard_data());
}

void Clipboard::clear() {
    _clear_clipboard();
}

const rt::ClassInfo& Clipboard::staticClassInfo() {
    static const rt::ClassInfo& info =
        bindings::addPrimitiveStatics(rt::ClassBuilder<Clipboard>("syslite.Clipboard"), kPrimitives)
            .staticMethods(RT_NAMED(Clipboard, setText, getText, clear))
            .build();
    return info;
}

RT_REGISTER_CLASS(Clipboard);

}  // namespace syslite
