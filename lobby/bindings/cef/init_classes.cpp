#include "lobby/bindings/cef/init_classes.h"

#include "lobby/bindings/cef/cef_app.h"
#include "lobby/bindings/cef/cef_browser.h"
#include "lobby/bindings/cef/cef_browser_settings.h"
#include "lobby/bindings/cef/cef_frame.h"
#include "lobby/bindings/cef/cef_request.h"
#include "lobby/bindings/cef/cef_response.h"
#include "lobby/bindings/cef/cef_settings.h"
#include "lobby/bindings/cef/cef_window.h"
#include "lobby/bindings/cef/key_info.h"
#include "lobby/bindings/cef/key_type.h"
#include "lobby/bindings/cef/mouse_button_type.h"
#include "lobby/bindings/cef/paint_element_type.h"
#include "lobby/bindings/cef/rect.h"
#include "lobby/bindings/cef/size.h"
#include "lobby/bindings/cef/task.h"

namespace cef {

void initClasses() {
    enumInfo(PaintElementType{});
    enumInfo(MouseButtonType{});
    enumInfo(KeyType{});
    KeyInfo::staticClassInfo();
    Size::staticClassInfo();
    Rect::staticClassInfo();
    CefSettings::staticClassInfo();
    CefBrowserSettings::staticClassInfo();
    CefResponse::staticClassInfo();
    CefRequest::staticClassInfo();
    CefFrame::staticClassInfo();
    CefBrowser::staticClassInfo();
    Task::staticClassInfo();
    CefWindow::staticClassInfo();
    CefApp::staticClassInfo();

    CefApp::initStatics();
    CefWindow::initStatics();
    Task::initStatics();
    CefBrowser::initStatics();
    CefFrame::initStatics();
    CefRequest::initStatics();
}

}  // namespace cef
