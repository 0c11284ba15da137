#pragma once

#include <optional>
#include <string>

#include "lobby/bindings/cef/cef_response.h"
#include "lobby/bindings/cef/cef_window.h"
#include "lobby/bindings/value_access.h"
#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/value.h"

namespace lobby {

// Base of the lobby window and of every game window: a frameless window on a local page, the
// common page calls with a by-name fallback to any member, the navigation, popup, context-menu
// and alert rules, the serving of local page resources and the rounded window region.
class BaseWindow : public cef::CefWindow {
    RT_CLASS(BaseWindow)
public:
    // The site address, read from the configuration on first need; cleared when the page sets
    // the "site" value, so the next use reads the new one.
    static inline std::optional<std::string> siteUrl;
    static void initSiteVar();

    // The lobby page has once been loaded in the main frame; later main-frame navigations are
    // refused.
    bool isMainFrameLoad = false;
    bool isMaxWindow = false;
    // A plain game window (class GameWindow, or a window that says so): game size and region.
    bool isGameWindow = false;

    // `url` is relative to the program folder; an absent or 0 size takes the initial size.
    void construct(std::string url, rt::Value width, rt::Value height);

    rt::Value onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) override;
    bool onSize() override;
    bool onRestore() override;
    void onCreate() override;
    bool onMaximize() override;

    // Browser-event handlers. A Bool handler answers false when it dealt with the request itself
    // and true to let the browser go on.
    // The bytes (or text) to serve for a local address, or null to let the browser load it.
    virtual rt::Value onBeforeResourceLoad(std::optional<std::string> url,
                                           rt::Ref<cef::CefResponse> response);
    virtual void onBrowserCreated();
    virtual bool onBeforePopup(std::optional<std::string> url);
    virtual bool onBeforeBrowse(rt::Value isMain, std::optional<std::string> frameName,
                                std::optional<std::string> url, rt::Value navigationType,
                                rt::Value request);
    virtual bool onBeforeMenu(rt::Value info);
    virtual bool onJSAlert(rt::Value flag, std::optional<std::string> text,
                           std::optional<std::string> message);
};

}  // namespace lobby
