#include "lobby/bindings/syslite/dialogs.h"

#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/value_access.h"
#include "runtime/class_builder.h"

namespace syslite {
namespace {

std::optional<std::string> text(const rt::Value& v) {
    return rt::fromValue<std::optional<std::string>>(v);
}

}  // namespace

void Dialogs::initStatics() {
    _message_box = bindings::bindPrimitive("syslite", "dialogs_message_box", 3);
    _dialog_box = bindings::bindPrimitive("syslite", "dialogs_dialog_box", 3);
    _dialog_save_file = bindings::bindPrimitive("syslite", "dialogs_save_file", 3);
    _dialog_open_file = bindings::bindPrimitive("syslite", "dialogs_open_file", 3);
    _dialog_folder = bindings::bindPrimitive("syslite", "dialogs_folder", 2);
}

void Dialogs::message(std::optional<std::string> title, std::optional<std::string> body,
                      bool isError) {
    _message_box(title, body, isError);
}

bool Dialogs::confirm(std::optional<std::string> title, std::optional<std::string> body,
                      bool flag) {
    return _dialog_box(title, body, flag).toBool();
}

std::optional<std::string> Dialogs::saveFile(std::optional<std::string> a,
                                             std::optional<std::string> b,
                                             std::optional<std::string> c) {
    return text(_dialog_save_file(a, b, c));
}

rt::Ref<rt::Array> Dialogs::openFile(std::optional<std::string> a, std::optional<std::string> b,
                                     rt::Value filter) {
    rt::Ref<rt::Array> paths = _dialog_open_file(a, b, filter).asArray();
    if (!paths) return nullptr;
    for (const rt::Value& p : paths->items()) {
        if (!p.isNull() && !p.isString()) return nullptr;
    }
    return paths;
}

std::optional<std::string> Dialogs::folder(std::optional<std::string> a,
                                           std::optional<std::string> b) {
    return text(_dialog_folder(a, b));
}

const rt::ClassInfo& Dialogs::staticClassInfo() {
    static const rt::ClassInfo& info = rt::ClassBuilder<Dialogs>("syslite.Dialogs")
                                           .staticField("_message_box", &_message_box)
                                           .staticField("_dialog_box", &_dialog_box)
                                           .staticField("_dialog_save_file", &_dialog_save_file)
                                           .staticField("_dialog_open_file", &_dialog_open_file)
                                           .staticField("_dialog_folder", &_dialog_folder)
                                           .staticMethod("message", &Dialogs::message)
                                           .staticMethod("confirm", &Dialogs::confirm)
                                           .staticMethod("saveFile", &Dialogs::saveFile)
                                           .staticMethod("openFile", &Dialogs::openFile)
                                           .staticMethod("folder", &Dialogs::folder)
                                           .build();
    return info;
}

RT_REGISTER_CLASS(Dialogs);

}  // namespace syslite
