#include "lobby/app/page_prompts.h"

#include "lobby/app/page_calls.h"
#include "lobby/bindings/cef/cef_frame.h"

namespace lobby {

bool contextMenuShown(const rt::Value& info, int32_t alwaysType) {
    if (info.get("typeFlags").toInt() == alwaysType) return true;
    const rt::Value selection = info.get("selectionText");
    return !(selection.isString() && selection.str().empty());
}

bool alertShown(const rt::Ref<cef::CefWindow>& window, const std::optional<std::string>& message) {
    if (message.value_or("") != kCaptchaFailedAlert) return true;
    if (rt::Ref<cef::CefFrame> frame = mainFrameOf(window)) {
        frame->invokeJsFunc("setAuthVerifyCode", nullptr);
    }
    return false;
}

}  // namespace lobby
