#include "lobby/bindings/syslite/menus.h"

#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/value_access.h"
#include "runtime/class_builder.h"
#include "runtime/exception.h"

namespace syslite::win {
namespace {

struct MenuPrimitive {
    rt::Primitive* slot;
    const char* staticName;
    const char* name;
    int argCount;
};

const MenuPrimitive kPrimitives[] = {
    {&Menus::_win_menu_create, "_win_menu_create", "win_menu_create", 0},
    {&Menus::_win_popup_menu_create, "_win_popup_menu_create", "win_popup_menu_create", 0},
    {&Menus::_win_destroy_menu, "_win_destroy_menu", "win_destroy_menu", 1},
    {&Menus::_win_add_menu_item, "_win_add_menu_item", "win_add_menu_item", 3},
    {&Menus::_win_add_menu_submenu, "_win_add_menu_submenu", "win_add_menu_submenu", 4},
    {&Menus::_win_add_menu_divider, "_win_add_menu_divider", "win_add_menu_divider", 2},
    {&Menus::_win_show_menu, "_win_show_menu", "win_show_menu", 2},
    {&Menus::_win_show_popup_menu, "_win_show_popup_menu", "win_show_popup_menu", 2},
};

}  // namespace

void Menus::initStatics() {
    for (const MenuPrimitive& p : kPrimitives) {
        *p.slot = bindings::bindPrimitive("syslite", p.name, p.argCount);
    }
}

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
        for (const MenuPrimitive& p : kPrimitives) builder.staticField(p.staticName, p.slot);
        return builder.field("m", &Menus::m)
            .method("getHandle", &Menus::getHandle)
            .method("showPopup", &Menus::showPopup)
            .method("show", &Menus::show)
            .method("addSubmenu", &Menus::addSubmenu)
            .method("addDivider", &Menus::addDivider)
            .method("addItem", &Menus::addItem)
            .method("dispose", &Menus::dispose)
            .constructor(&Menus::construct)
            .build();
    }();
    return info;
}

RT_REGISTER_CLASS(Menus);

}  // namespace syslite::win
