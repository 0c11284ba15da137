#include "lobby/bindings/cef/cef_browser_settings.h"

#include "lobby/bindings/value_access.h"
#include "runtime/class_builder.h"

namespace cef {

const rt::ClassInfo& CefBrowserSettings::staticClassInfo() {
    static const rt::ClassInfo& info = []() -> const rt::ClassInfo& {
        rt::ClassBuilder<CefBrowserSettings> builder("cef.CefBrowserSettings");
#define CEF_BROWSER_SETTINGS_FIELD(type, name, initial) \
    builder.field(#name, &CefBrowserSettings::name);
        CEF_BROWSER_SETTINGS_FIELDS(CEF_BROWSER_SETTINGS_FIELD)
#undef CEF_BROWSER_SETTINGS_FIELD
        return builder.constructor().build();
    }();
    return info;
}

RT_REGISTER_CLASS(CefBrowserSettings);

}  // namespace cef
