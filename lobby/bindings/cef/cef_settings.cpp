#include "lobby/bindings/cef/cef_settings.h"

#include "runtime/class_builder.h"

namespace cef {

void CefSettings::construct() {
    multiThreadedMessageLoop = false;
}

const rt::ClassInfo& CefSettings::staticClassInfo() {
    using S = CefSettings;
    static const rt::ClassInfo& info =
        rt::ClassBuilder<S>("cef.CefSettings")
            .fields(RT_NAMED(S, contextSafetyImplementation, uncaughtExceptionStackSize,
                             packLoadingDisabled, localesDirPath, resourcesDirPath, javascriptFlags,
                             sessionStorageQuota, localStorageQuota, graphicsImplementation,
                             releaseDcheckEnabled, logSeverity, logFile, extraPluginPaths, locale,
                             userAgent, cachePath))
            .staticField("multiThreadedMessageLoop", &S::multiThreadedMessageLoop)
            .constructor(&S::construct)
            .build();
    return info;
}

RT_REGISTER_CLASS(CefSettings);

}  // namespace cef
