#include "lobby/bindings/syslite/clipboard.h"

#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/value_access.h"
#include "runtime/class_builder.h"

namespace syslite {

void Clipboard::initStatics() {
    _set_clipboard_data = bindings::bindPrimitive("syslite", "clipboard_set_text", 1);
    _get_clipboard_data = bindings::bindPrimitive("syslite", "clipboard_get_text", 0);
    _clear_clipboard = bindings::bindPrimitive("syslite", "clipboard_clear", 0);
}

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
    static const rt::ClassInfo& info = rt::ClassBuilder<Clipboard>("syslite.Clipboard")
                                           .staticField("_set_clipboard_data", &_set_clipboard_data)
                                           .staticField("_get_clipboard_data", &_get_clipboard_data)
                                           .staticField("_clear_clipboard", &_clear_clipboard)
                                           .staticMethod("setText", &Clipboard::setText)
                                           .staticMethod("getText", &Clipboard::getText)
                                           .staticMethod("clear", &Clipboard::clear)
                                           .build();
    return info;
}

RT_REGISTER_CLASS(Clipboard);

}  // namespace syslite
