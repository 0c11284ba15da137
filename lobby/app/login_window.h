#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "lobby/bindings/cef/cef_response.h"
#include "lobby/bindings/cef/cef_window.h"
#include "lobby/bindings/value_access.h"
#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/value.h"

namespace lobby {

// The small frameless login window and, on another page, the registration window. It serves its
// page's window and configuration calls itself and relays the login, captcha and remembered
// account to the lobby page through the lobby window, which answers through setLoginResult and
// setCaptchaUrl.
class LoginWindow : public cef::CefWindow {
    RT_CLASS(LoginWindow)
public:
    static inline const char* const kLoginPage = "/login.html";

    int32_t cornerRadius = 9;
    // 0 for the login page, 1 for any other page (the registration window).
    int32_t wndType = 0;
    int32_t pageHeight = 0;
    int32_t pageWidth = 0;

    // Null arguments take the login page at 470 x 343.
    void construct(std::optional<std::string> page, rt::Value width, rt::Value height);

    rt::Value onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) override;
    bool onSize() override;
    bool onClose() override;
    void onCreate() override;

    virtual void setCaptchaUrl(std::optional<std::string> url);
    virtual void setLoginResult(rt::Value result);
    virtual void initTipBar();
    virtual void init();
    virtual bool onBeforePopup(std::optional<std::string> url);
    virtual void onBrowserCreated();
    virtual bool onBeforeMenu(rt::Value info);
    virtual bool onJSAlert(rt::Value flag, std::optional<std::string> text,
                           std::optional<std::string> message);
    // Serves the page archive's entries; null lets the browser load the address itself.
    virtual rt::Value onBeforeResourceLoad(std::optional<std::string> url,
                                           rt::Ref<cef::CefResponse> response);

private:
    void roundOutline();
};

}  // namespace lobby
