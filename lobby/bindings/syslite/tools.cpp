#include "lobby/bindings/syslite/tools.h"

#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/system_name.h"
#include "lobby/bindings/value_access.h"
#include "runtime/class_builder.h"
#include "runtime/exception.h"

namespace syslite::win {
namespace {

// Binds `slot` on first use; the member runs on Windows only.
const rt::Primitive& bindOnFirstUse(rt::Primitive& slot, const char* member, const char* name,
                                    int argCount) {
    if (bindings::systemName() != "Windows") {
        throw rt::Exception(std::string("Windows is required to run syslite.win.Tools.") + member);
    }
    if (slot.isNull()) slot = bindings::bindPrimitive("syslite", name, argCount);
    return slot;
}

}  // namespace

void Tools::initStatics() {
    _win_replace_exe_icon = rt::Primitive();
    _win_create_process = rt::Primitive();
}

bool Tools::replaceExeIcon(std::optional<std::string> exe, std::optional<std::string> icon,
                           rt::Value index) {
    const rt::Primitive& replace =
        bindOnFirstUse(_win_replace_exe_icon, "replaceExeIcon", "win_replace_exe_icon", 3);
    rt::Value result = replace(exe, icon, index.isNull() ? 1 : index.toInt());
    return result.isBool() && result.toBool();
}

int32_t Tools::createProcess(std::optional<std::string> a, std::optional<std::string> b,
                             std::optional<std::string> c, bool d, bool e) {
    const rt::Primitive& create =
        bindOnFirstUse(_win_create_process, "createProcess", "win_create_process", 5);
    return create(a, b, c, d, e).toInt();
}

const rt::ClassInfo& Tools::staticClassInfo() {
    static const rt::ClassInfo& info =
        rt::ClassBuilder<Tools>("syslite.win.Tools")
            .staticField("_win_replace_exe_icon", &_win_replace_exe_icon)
            .staticField("_win_create_process", &_win_create_process)
            .staticMethod("replaceExeIcon", &Tools::replaceExeIcon)
            .staticMethod("createProcess", &Tools::createProcess)
            .build();
    return info;
}

RT_REGISTER_CLASS(Tools);

}  // namespace syslite::win
