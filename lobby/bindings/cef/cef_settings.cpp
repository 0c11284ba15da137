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
            .field("contextSafetyImplementation", &S::contextSafetyImplementation)
            .field("uncaughtExceptionStackSize", &S::uncaughtExceptionStackSize)
            .field("packLoadingDisabled", &S::packLoadingDisabled)
            .field("localesDirPath", &S::localesDirPath)
            .field("resourcesDirPath", &S::resourcesDirPath)
            .field("javascriptFlags", &S::javascriptFlags)
            .field("sessionStorageQuota", &S::sessionStorageQuota)
            .field("localStorageQuota", &S::localStorageQuota)
            .field("graphicsImplementation", &S::graphicsImplementation)
            .field("releaseDcheckEnabled", &S::releaseDcheckEnabled)
            .field("logSeverity", &S::logSeverity)
            .field("logFile", &S::logFile)
            .field("extraPluginPaths", &S::extraPluginPaths)
            .field("locale", &S::locale)
            .field("userAgent", &S::userAgent)
            .field("cachePath", &S::cachePath)
            .staticField("multiThreadedMessageLoop", &S::multiThreadedMessageLoop)
            .constructor(&S::construct)
            .build();
    return info;
}

RT_REGISTER_CLASS(CefSettings);

}  // namespace cef
