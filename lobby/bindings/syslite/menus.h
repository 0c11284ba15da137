#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/syslite/primitive_list.h"
#include "runtime/object.h"
#include "runtime/primitive.h"

namespace syslite::win {

// A native menu: a menu bar menu or a popup menu whose show answers the chosen item's id.
class Menus final : public rt::Object {
    RT_CLASS(Menus)
public:
    SYSLITE_MENUS_PRIMITIVES(BINDINGS_DECLARE_PRIMITIVE)

    // Binds the primitives from "syslite".
    static void initStatics();

    // The library's value for the menu.
    rt::Value m;

    void construct(bool popup);
    rt::Value getHandle();
    // Shows the popup menu and answers the chosen id (0 when the library answers nothing).
    int32_t showPopup(rt::Value owner);
    int32_t show(rt::Value owner);
    int32_t addSubmenu(rt::Ref<Menus> sub, std::optional<std::string> label, int32_t id);
    int32_t addDivider(int32_t id);
    int32_t addItem(std::optional<std::string> label, int32_t id);
    void dispose();
};

}  // namespace syslite::win
