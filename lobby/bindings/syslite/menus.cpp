#include "lobby/bindings/syslite/menus.h"

#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/value_access.h"
#include "runtime/class_builder.h"
#include "runtime/exception.h"

namespace syslite::win {
BINDINGS_PRIMITIVE_CLASS(Menus, SYSLITE_MENUS_PRIMITIVES, "syslite")

void Menus::construct(bool popup) {
    m = popup ? _win_popup_menu_create() : _win_menu_create();
}

rt::Value Menus::getHandle() {
    return m;
}
int32_t Menus::showPopup(rt::Value owner) {
    return _win_show_popup_menu(owner, m).toInt();
}
int32_t Menus::show(rt::Value owner) {
    return _win_show_menu(owner, m).toInt();
}

int32_t Menus::addSubmenu(rt::Ref<Menus> sub, std::optional<std::string> label, int32_t id) {
    if (!sub) throw rt::Exception("Menus.addSubmenu: the sub-menu is null");
    return _win_add_menu_submenu(m, sub->getHandle(), label, id).toInt();
}

int32_t Menus::addDivider(int32_t id) {
    return _win_add_menu_divider(m, id).toInt();
}

int32_t Menus::addItem(std::optional<std::string> label, int32_t id) {
    return _win_add_menu_item(m, label, id).toInt();
}

void Menus::dispose() {
    _win_destroy_menu(m);
}

const rt::ClassInfo& Menus::staticClassInfo() {
    static const rt::ClassInfo& info = []() -> const rt::ClassInfo& {
        rt::ClassBuilder<Menus> builder("syslite.win.Menus");
        bindings::addPrimitiveStatics(builder, kPrimitives);
        return builder.field("m", &Menus::m)
            .methods(RT_NAMED(Menus, getHandle, showPopup, show, addSubmenu, addDivider, addItem,
                              dispose))
            .constructor(&Menus::construct)
            .build();
    }();
    return info;
}

RT_REGISTER_CLASS(Menus);

}  // namespace syslite::win
