#include "lobby/bindings/cef/init_classes.h"

#include "lobby/bindings/cef/cef_app.h"
#include "lobby/bindings/cef/cef_browser.h"
#include "lobby/bindings/cef/cef_frame.h"
#include "lobby/bindings/cef/cef_request.h"
#include "lobby/bindings/cef/cef_window.h"
#include "lobby/bindings/cef/key_type.h"
#include "lobby/bindings/cef/mouse_button_type.h"
#include "lobby/bindings/cef/paint_element_type.h"
#include "lobby/bindings/cef/task.h"

namespace cef {

void initClasses() {
    // The classes register themselves when the library loads; defining the enumerations here
    // makes them known by name from the start.
    enumInfo(PaintElementType{});
    enumInfo(MouseButtonType{});
    enumInfo(KeyType{});

    CefApp::initStatics();
    CefWindow::initStatics();
    Task::initStatics();
    CefBrowser::initStatics();
    CefFrame::initStatics();
    CefRequest::initStatics();
}

}  // namespace cef
