#include "lobby/app/screen_metrics.h"

#include "lobby/bindings/cef/cef_app.h"
#include "lobby/bindings/syslite/display.h"
#include "runtime/value.h"

namespace lobby {
namespace {

// The system metrics asked of the browser host, by their system index.
enum SystemMetric : int32_t {
    kCaptionHeight = 4,
    kFullScreenHeight = 17,
    kFrameWidth = 32,
    kFrameHeight = 33
};

}  // namespace

void ScreenMetrics::read() {
    const rt::Value size = syslite::win::Display::getScreenSize();
    screenWidth = size.get("w").toInt();
    screenHeight = size.get("h").toInt();
    windowFullHeight = cef::CefApp::getSystemMetrics(kFullScreenHeight);
    windowInitW = static_cast<int32_t>(screenWidth * 0.8);
    windowInitH = static_cast<int32_t>(windowFullHeight * 0.8);
    borderX = cef::CefApp::getSystemMetrics(kFrameWidth);
    borderY = cef::CefApp::getSystemMetrics(kFrameHeight);
    captionHeight = cef::CefApp::getSystemMetrics(kCaptionHeight);
}

}  // namespace lobby
