#include "lobby/bindings/syslite/tools.h"

#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/system_name.h"
#include "lobby/bindings/value_access.h"
#include "runtime/class_builder.h"
#include "runtime/exception.h"

namespace syslite::win {
namespace {

using BoundClass = Tools;

const bindings::PrimitiveSlot kPrimitives[] = {SYSLITE_TOOLS_PRIMITIVES(BINDINGS_PRIMITIVE_SLOT)};

// Binds the primitive `name` of the list on first use; the member runs on Windows only.
const rt::Primitive& bindOnFirstUse(const char* member, std::string_view name) {
    if (bindings::systemName() != "Windows") {
        throw rt::Exception(std::string("Windows is required to run syslite.win.Tools.") + member);
    }
    for (const bindings::PrimitiveSlot& p : kPrimitives) {
        if (p.name != name) continue;
        if (p.slot->isNull()) *p.slot = bindings::bindPrimitive("syslite", p.name, p.argCount);
        return *p.slot;
    }
    throw rt::Exception("syslite.win.Tools." + std::string(member) + ": no primitive " +
                        std::string(name));
}

}  // namespace

void Tools::initStatics() {
    _win_replace_exe_icon = rt::Primitive();
    _win_create_process = rt::Primitive();
}

bool Tools::replaceExeIcon(std::optional<std::string> exe, std::optional<std::string> icon,
                           rt::Value index) {
    const rt::Primitive& replace = bindOnFirstUse("replaceExeIcon", "win_replace_exe_icon");
    rt::Value result = replace(exe, icon, index.isNull() ? 1 : index.toInt());
    return result.isBool() && result.toBool();
}

int32_t Tools::createProcess(std::optional<std::string> a, std::optional<std::string> b,
                             std::optional<std::string> c, bool d, bool e) {
    const rt::Primitive& create = bindOnFirstUse("createProcess", "win_create_process");
    return create(a, b, c, d, e).toInt();
}

const rt::ClassInfo& Tools::staticClassInfo() {
    static const rt::ClassInfo& info =
        bindings::addPrimitiveStatics(rt::ClassBuilder<Tools>("syslite.win.Tools"), kPrimitives)
            .staticMethods(RT_NAMED(Tools, replaceExeIcon, createProcess))
            .build();
    return info;
}

RT_REGISTER_CLASS(Tools);

}  // namespace syslite::win
