#pragma once

#include <optional>
#include <string>

#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/syslite/primitive_list.h"
#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/primitive.h"

namespace syslite {

// Message boxes and file dialogs.
class Dialogs final : public rt::Object {
    RT_CLASS(Dialogs)
public:
    SYSLITE_DIALOGS_PRIMITIVES(BINDINGS_DECLARE_PRIMITIVE)

    // Binds the primitives from "syslite".
    static void initStatics();

    // A message box with a title and a message; the flag marks an error.
    static void message(std::optional<std::string> title, std::optional<std::string> text,
                        bool isError);
    // True when the user confirmed.
    static bool confirm(std::optional<std::string> title, std::optional<std::string> text,
                        bool flag);
    static std::optional<std::string> saveFile(std::optional<std::string> a,
                                               std::optional<std::string> b,
                                               std::optional<std::string> c);
    // The chosen paths; null when the library answers anything but an array of texts.
    static rt::Ref<rt::Array> openFile(std::optional<std::string> a, std::optional<std::string> b,
                                       rt::Value filter);
    static std::optional<std::string> folder(std::optional<std::string> a,
                                             std::optional<std::string> b);
};

}  // namespace syslite
