#include "lobby/app/screen_metrics.h"

#include "lobby/bindings/cef/cef_app.h"
#include "lobby/bindings/syslite/display.h"
#include "runtime/value.h"

namespace lobby {
namespace {

// System metric indices asked of the browser host.
constexpr int32_t kFullScreenHeight = 17;
constexpr int32_t kFrameWidth = 32;
constexpr int32_t kFrameHeight = 33;
constexpr int32_t kCaptionHeight = 4;

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
