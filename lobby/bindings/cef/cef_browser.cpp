#include "lobby/bindings/cef/cef_browser.h"

#include "lobby/bindings/cef/cef_frame.h"
#include "lobby/bindings/cef/cef_window.h"
#include "lobby/bindings/cef/key_info.h"
#include "lobby/bindings/cef/rect.h"
#include "lobby/bindings/cef/size.h"
#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/value_access.h"
#include "platform/cefhx/host_contract.h"
#include "runtime/class_builder.h"
#include "runtime/create.h"
#include "runtime/exception.h"
#include "runtime/record.h"

namespace cef {
namespace {

namespace field = cefhx::field;

using B = CefBrowser;

// A host answer read as a flag: non-zero is true, null is false.
bool hostFlag(const rt::Value& v) {
    return v.toBool() || v.toFloat() != 0;
}

}  // namespace

BINDINGS_PRIMITIVE_CLASS(CefBrowser, CEFHX_BROWSER_PRIMITIVES, "cefhx")

void CefBrowser::construct(rt::Ref<CefWindow> window) {
    isInit = false;
    frames = rt::make<rt::Array>();
    _cefWindow = window;
}

rt::Ref<CefWindow> CefBrowser::window() const {
    return _cefWindow.lock();
}

rt::Value CefBrowser::handle() const {
    rt::Ref<CefWindow> w = window();
    return w ? w->_handle : rt::Value();
}

void CefBrowser::sendFocusEvent(bool on) {
    browser_sendfocusevent(handle(), on);
}
void CefBrowser::sendCaptureLostEvent() {
    browser_sendcapturelostevent(handle());
}

void CefBrowser::sendMouseWheelEvent(int32_t x, int32_t y, int32_t deltaX, int32_t deltaY) {
    browser_sendmousewheelevent(handle(), x, y, deltaX, deltaY);
}

void CefBrowser::sendMouseMoveEvent(int32_t x, int32_t y, bool mouseLeave) {
    browser_sendmousemoveevent(handle(), x, y, mouseLeave);
}

void CefBrowser::sendMouseClickEvent(int32_t x, int32_t y, MouseButtonType button, bool mouseUp,
                                     int32_t clickCount) {
    rt::Ref<rt::Record> point = rt::Record::of({{field::kX, x}, {field::kY, y}});
    browser_sendmouseclickevent(handle(), point, static_cast<int32_t>(button), mouseUp, clickCount);
}

void CefBrowser::sendKeyEvent(KeyType type, rt::Ref<KeyInfo> key, int32_t modifiers) {
    if (!key) throw rt::Exception("CefBrowser.sendKeyEvent: the key description is null");
    rt::Ref<rt::Record> info = rt::Record::of(
        {{field::kX, key->key}, {field::kY, key->sysChar}, {field::kWidth, key->imeChar}});
    browser_sendkeyevent(handle(), static_cast<int32_t>(type), info, modifiers);
}

void CefBrowser::Invalidate(rt::Ref<Rect> rect) {
    if (!rect) throw rt::Exception("CefBrowser.Invalidate: the rectangle is null");
    browser_invalidate(handle(), rect->x, rect->y, rect->width, rect->height);
}

void CefBrowser::setSize(PaintElementType type, int32_t width, int32_t height) {
    browser_setsize(handle(), static_cast<int32_t>(type), width, height);
}

rt::Ref<Size> CefBrowser::getSize(PaintElementType type) {
    rt::Value answer = browser_getsize(handle(), static_cast<int32_t>(type));
    double height = answer.get(field::kHeight).toFloat();
    double width = answer.get(field::kWidth).toFloat();
    return rt::create<Size>(width, height);
}

// Members that only hand the browser's handle to their primitive.
#define CEF_BROWSER_HANDLE_CALL(member, primitive) \
    void CefBrowser::member() {                    \
        primitive(handle());                       \
    }
CEF_BROWSER_HANDLE_CALL(closeDevTools, browser_closedevtools)
CEF_BROWSER_HANDLE_CALL(showDevTools, browser_showdevtools)
CEF_BROWSER_HANDLE_CALL(clearHistory, browser_clearhistory)
CEF_BROWSER_HANDLE_CALL(stopFind, browser_stopfind)
CEF_BROWSER_HANDLE_CALL(stopLoad, browser_stopload)
CEF_BROWSER_HANDLE_CALL(hidePopup, browser_hidepopup)
CEF_BROWSER_HANDLE_CALL(goForward, browser_goforward)
CEF_BROWSER_HANDLE_CALL(goBack, browser_goback)
#undef CEF_BROWSER_HANDLE_CALL

void CefBrowser::find(int32_t identifier, std::optional<std::string> text, bool forward,
                      bool matchCase, bool findNext) {
    rt::Ref<rt::Record> options = rt::Record::of({{field::kX, matchCase}, {field::kY, findNext}});
    browser_find(handle(), identifier, text, forward, options);
}

void CefBrowser::reload(bool ignoreCache) {
    browser_reload(handle(), ignoreCache);
}

rt::Ref<CefFrame> CefBrowser::getMainFrame() {
    if (!isInit) return nullptr;
    if (mainFrame) return mainFrame;
    int32_t id = browser_getmainframeid(handle()).toInt();
    if (id == -1) return nullptr;
    mainFrame = rt::create<CefFrame>(rt::Ref<CefBrowser>(this), window(), true, std::string(), id);
    return mainFrame;
}

rt::Ref<rt::Array> CefBrowser::getFrameNames() {
    rt::Ref<rt::Array> names = browser_getframenames(handle()).asArray();
    if (!names) return nullptr;
    rt::Ref<rt::Array> out = rt::make<rt::Array>();
    for (const rt::Value& n : names->items()) {
        out->push(n.isNull() ? rt::Value() : rt::Value(rt::fromValue<std::string>(n)));
    }
    return out;
}

rt::Ref<CefFrame> CefBrowser::initFrame(rt::Value record) {
    if (record.isNull() || !isInit) return nullptr;
    if (!frames) return nullptr;
    rt::Value id = record.get(field::kUrl);
    if (id.isNumber()) {
        for (const rt::Value& f : frames->items()) {
            rt::Ref<CefFrame> frame = f.as<CefFrame>();
            if (frame && id.toFloat() == frame->identifier) return frame;
        }
    }
    rt::Ref<CefFrame> frame = rt::create<CefFrame>(rt::Ref<CefBrowser>(this), window(),
                                                   record.get(field::kX).toInt() != 0,
                                                   record.get(field::kY).toString(), id.toInt());
    frames->push(frame);
    return frame;
}

rt::Ref<CefFrame> CefBrowser::getFrame(std::optional<std::string> name) {
    rt::Value record = browser_getframeobj(handle(), name);
    return record.isNull() ? nullptr : initFrame(record);
}

rt::Ref<CefFrame> CefBrowser::getFocusedFrame() {
    rt::Value record = browser_getfocusedframeobj(handle());
    return record.isNull() ? nullptr : initFrame(record);
}

bool CefBrowser::setFocus(bool on) {
    browser_setfocus(handle(), on);
    return on;
}

bool CefBrowser::get_canGoForward() {
    return hostFlag(browser_getcangoforward(handle()));
}
bool CefBrowser::get_canGoBack() {
    return hostFlag(browser_getcangoback(handle()));
}
bool CefBrowser::get_isPopupVisible() {
    return hostFlag(browser_getispopupvisible(handle()));
}
bool CefBrowser::get_isWindowRenderingDisabled() {
    return hostFlag(browser_iswindowrenderingdisabled(handle()));
}

double CefBrowser::set_zoomLevel(double level) {
    browser_setzoomlevel(handle(), level);
    return level;
}

double CefBrowser::get_zoomLevel() {
    return browser_getzoomlevel(handle()).toFloat();
}
bool CefBrowser::get_hasDocument() {
    return hostFlag(browser_hasdocument(handle()));
}
bool CefBrowser::get_isPopup() {
    return hostFlag(browser_ispopup(handle()));
}

void CefBrowser::destroy() {
    onAfterCreated = nullptr;
    for (rt::Value* h :
         {&_onBeforeClose, &_onLoadStart, &_onLoadEnd, &_onLoadError, &_onNavStateChange,
          &_onContextCreated, &_onAddressChange, &_onTitleChange, &_onBeforePopup}) {
        *h = nullptr;
    }
    if (frames) {
        for (const rt::Value& f : frames->items()) {
            if (rt::Ref<CefFrame> frame = f.as<CefFrame>()) frame->destroy();
        }
    }
    frames = nullptr;
    _cefWindow = rt::WeakRef<CefWindow>();
    if (mainFrame) mainFrame->destroy();
    mainFrame = nullptr;
}

template <rt::Value CefBrowser::*Slot, cefhx::BrowserEvent Event>
rt::Value CefBrowser::setHandler(rt::Value handler) {
    this->*Slot = handler;
    browser_seteventhandle(handle(), static_cast<int32_t>(Event), !handler.isNull());
    return handler;
}

template <rt::Value CefBrowser::*Slot>
rt::Value CefBrowser::getHandler() {
    return this->*Slot;
}

namespace {

using E = cefhx::BrowserEvent;

// One page event: its handler property, named as the host raises the event, and the field that
// keeps it.
template <rt::Value CefBrowser::*Slot, cefhx::BrowserEvent Event>
void addHandler(rt::ClassBuilder<CefBrowser>& builder) {
    const std::string name(cefhx::browserEventName(Event));
    builder.property(name, &CefBrowser::getHandler<Slot>, &CefBrowser::setHandler<Slot, Event>)
        .field("_" + name, Slot);
}

}  // namespace

const rt::ClassInfo& CefBrowser::staticClassInfo() {
    static const rt::ClassInfo& info = []() -> const rt::ClassInfo& {
        rt::ClassBuilder<B> builder("cef.CefBrowser");
        bindings::addPrimitiveStatics(builder, kPrimitives);
        builder.fields(RT_NAMED(B, isInit, mainFrame))
            .property("canGoForward", &B::get_canGoForward)
            .property("canGoBack", &B::get_canGoBack)
            .property("isPopupVisible", &B::get_isPopupVisible)
            .property("isWindowRenderingDisabled", &B::get_isWindowRenderingDisabled)
            .property("zoomLevel", &B::get_zoomLevel, &B::set_zoomLevel)
            .property("hasDocument", &B::get_hasDocument)
            .property("isPopup", &B::get_isPopup)
            .fields(RT_NAMED(B, frames, _cefWindow))
            .methods(RT_NAMED(B, sendFocusEvent, sendCaptureLostEvent, sendMouseWheelEvent,
                              sendMouseMoveEvent, sendMouseClickEvent, sendKeyEvent, Invalidate,
                              setSize, getSize, closeDevTools, showDevTools, clearHistory, stopFind,
                              find, stopLoad, reload, hidePopup, goForward, goBack, getMainFrame,
                              getFrameNames, initFrame, getFrame, getFocusedFrame, setFocus,
                              destroy));
        addHandler<&B::_onJSConfirm, E::JSConfirm>(builder);
        addHandler<&B::_onJSAlert, E::JSAlert>(builder);
        addHandler<&B::_onBeforeMenu, E::BeforeMenu>(builder);
        addHandler<&B::_onContentsSizeChange, E::ContentsSizeChange>(builder);
        addHandler<&B::_onBeforeBrowse, E::BeforeBrowse>(builder);
        addHandler<&B::_onBeforeResourceLoad, E::BeforeResourceLoad>(builder);
        addHandler<&B::_onBeforePopup, E::BeforePopup>(builder);
        addHandler<&B::_onTitleChange, E::TitleChange>(builder);
        addHandler<&B::_onAddressChange, E::AddressChange>(builder);
        addHandler<&B::_onContextCreated, E::ContextCreated>(builder);
        addHandler<&B::_onNavStateChange, E::NavStateChange>(builder);
        addHandler<&B::_onLoadError, E::LoadError>(builder);
        addHandler<&B::_onLoadEnd, E::LoadEnd>(builder);
        addHandler<&B::_onLoadStart, E::LoadStart>(builder);
        addHandler<&B::_onBeforeClose, E::BeforeClose>(builder);
        return builder.field("onAfterCreated", &B::onAfterCreated)
            .constructor(&B::construct)
            .build();
    }();
    return info;
}

RT_REGISTER_CLASS(CefBrowser);

}  // namespace cef
