#include "lobby/bindings/syslite/browser.h"

#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/system_name.h"
#include "lobby/bindings/value_access.h"
#include "runtime/class_builder.h"
#include "runtime/exception.h"

namespace syslite {
BINDINGS_PRIMITIVE_CLASS(Browser, SYSLITE_BROWSER_PRIMITIVES, "syslite")

bool Browser::launch(std::optional<std::string> url) {
    std::string system = bindings::systemName();
    if (system != "Mac" && system != "Windows") {
        throw rt::Exception("syslite.Browser.launch() only works on Mac or Windows");
    }
    rt::Value result = _browser_launch(url);
    return result.isBool() && result.toBool();
}

const rt::ClassInfo& Browser::staticClassInfo() {
    static const rt::ClassInfo& info =
        bindings::addPrimitiveStatics(rt::ClassBuilder<Browser>("syslite.Browser"), kPrimitives)
            .staticMethod("launch", &Browser::launch)
            .build();
    return info;
}

RT_REGISTER_CLASS(Browser);

}  // namespace syslite
