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

BINDINGS_PRIMITIVE_CLASS(Dialogs, SYSLITE_DIALOGS_PRIMITIVES, "syslite")

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
    static const rt::ClassInfo& info =
        bindings::addPrimitiveStatics(rt::ClassBuilder<Dialogs>("syslite.Dialogs"), kPrimitives)
            .staticMethods(RT_NAMED(Dialogs, message, confirm, saveFile, openFile, folder))
            .build();
    return info;
}

RT_REGISTER_CLASS(Dialogs);

}  // namespace syslite
