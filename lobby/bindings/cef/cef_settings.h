#pragma once

#include <cstdint>
#include <string>

#include "runtime/array.h"
#include "runtime/object.h"

namespace cef {

// The browser host's settings for the whole application, handed over once when its message
// loop starts. The host reads the fields by name.
class CefSettings final : public rt::Object {
    RT_CLASS(CefSettings)
public:
    // Class-wide; every new settings object sets it back to false.
    static inline bool multiThreadedMessageLoop = false;

    int32_t contextSafetyImplementation = 0;
    int32_t uncaughtExceptionStackSize = 0;
    bool packLoadingDisabled = false;
    std::string localesDirPath;
    std::string resourcesDirPath;
    std::string javascriptFlags;
    int32_t sessionStorageQuota = -1;
    int32_t localStorageQuota = -1;
    int32_t graphicsImplementation = 0;
    bool releaseDcheckEnabled = false;
    int32_t logSeverity = 0;
    std::string logFile;
    rt::Ref<rt::Array> extraPluginPaths;
    std::string locale = "zh-CN";
    std::string userAgent;
    std::string cachePath;

    void construct();
};

}  // namespace cef
