#pragma once

#include <optional>
#include <string>

#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/syslite/primitive_list.h"
#include "runtime/object.h"
#include "runtime/primitive.h"

namespace syslite::win {

// One icon in the notification area. Its mouse messages reach the owner window's
// onSystemMessage with the kind "tray".
class Tray final : public rt::Object {
    RT_CLASS(Tray)
public:
    SYSLITE_TRAY_PRIMITIVES(BINDINGS_DECLARE_PRIMITIVE)

    // Binds the primitives from "syslite".
    static void initStatics();

    // The library's value for the icon.
    rt::Value t;

    void construct(rt::Value owner, std::optional<std::string> iconPath,
                   std::optional<std::string> tooltip);
    void dispose();
};

}  // namespace syslite::win
