#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "lobby/bindings/cef/cef_frame.h"
#include "lobby/bindings/cef/key_type.h"
#include "lobby/bindings/cef/mouse_button_type.h"
#include "lobby/bindings/cef/paint_element_type.h"
#include "lobby/bindings/primitive_binder.h"
#include "platform/cefhx/host_contract.h"
#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/primitive.h"

namespace cef {

class CefWindow;
class KeyInfo;
class Rect;
class Size;

// The browser a window hosts. It keeps no browser state of its own: every query and command goes
// to the host, naming the browser by its window's native handle. It keeps the page-event
// handlers (and tells the host which events to report), the frames found so far and whether the
// host has finished creating the browser.
class CefBrowser final : public rt::Object {
    RT_CLASS(CefBrowser)
public:
    // The primitives this class binds, each in a static named as the program reads it.
    CEFHX_BROWSER_PRIMITIVES(BINDINGS_DECLARE_PRIMITIVE)

    // Binds the primitives from "cefhx".
    static void initStatics();

    // True once the host has reported "onAfterCreated".
    bool isInit = false;
    rt::Ref<CefFrame> mainFrame;
    // Frames made by initFrame, in the order made; the main frame is not among them.
    rt::Ref<rt::Array> frames;
    // The owning window; not owned, since the window owns its browser.
    rt::WeakRef<CefWindow> _cefWindow;
    rt::Value _onJSConfirm;
    rt::Value _onJSAlert;
    rt::Value _onBeforeMenu;
    rt::Value _onContentsSizeChange;
    rt::Value _onBeforeBrowse;
    rt::Value _onBeforeResourceLoad;
    rt::Value _onBeforePopup;
    rt::Value _onTitleChange;
    rt::Value _onAddressChange;
    rt::Value _onContextCreated;
    rt::Value _onNavStateChange;
    rt::Value _onLoadError;
    rt::Value _onLoadEnd;
    rt::Value _onLoadStart;
    rt::Value _onBeforeClose;
    // Called by the window once the host has created the browser; no host registration.
    rt::Value onAfterCreated;

    void construct(rt::Ref<CefWindow> window);

    void sendFocusEvent(bool on);
    void sendCaptureLostEvent();
    void sendMouseWheelEvent(int32_t x, int32_t y, int32_t deltaX, int32_t deltaY);
    void sendMouseMoveEvent(int32_t x, int32_t y, bool mouseLeave);
    void sendMouseClickEvent(int32_t x, int32_t y, MouseButtonType button, bool mouseUp,
                             int32_t clickCount);
    void sendKeyEvent(KeyType type, rt::Ref<KeyInfo> key, int32_t modifiers);
    void Invalidate(rt::Ref<Rect> rect);
    void setSize(PaintElementType type, int32_t width, int32_t height);
    rt::Ref<Size> getSize(PaintElementType type);
    void closeDevTools();
    void showDevTools();
    void clearHistory();
    void stopFind();
    void find(int32_t identifier, std::optional<std::string> text, bool forward, bool matchCase,
              bool findNext);
    void stopLoad();
    void reload(bool ignoreCache);
    void hidePopup();
    void goForward();
    void goBack();
    // The main frame, made once the host gives its id; null before "onAfterCreated".
    rt::Ref<CefFrame> getMainFrame();
    rt::Ref<rt::Array> getFrameNames();
    // The frame of a host frame record {_url: id, x: main flag, y: name}, made once per id.
    rt::Ref<CefFrame> initFrame(rt::Value record);
    rt::Ref<CefFrame> getFrame(std::optional<std::string> name);
    rt::Ref<CefFrame> getFocusedFrame();
    bool setFocus(bool on);
    bool get_canGoForward();
    bool get_canGoBack();
    bool get_isPopupVisible();
    bool get_isWindowRenderingDisabled();
    double set_zoomLevel(double level);
    double get_zoomLevel();
    bool get_hasDocument();
    bool get_isPopup();
    // Drops the handlers, frames and window; called when the host destroys the window.
    void destroy();

    // Handler accessors: the setter stores the handler and tells the host whether to report
    // the event; the getter answers the stored handler.
    template <rt::Value CefBrowser::*Slot, cefhx::BrowserEvent Event>
    rt::Value setHandler(rt::Value handler);
    template <rt::Value CefBrowser::*Slot>
    rt::Value getHandler();

    // The native handle of the owning window (null once the window is gone).
    rt::Value handle() const;

private:
    rt::Ref<CefWindow> window() const;
};

}  // namespace cef
