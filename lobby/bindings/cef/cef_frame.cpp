#include "lobby/bindings/cef/cef_frame.h"

#include <vector>

#include "lobby/bindings/cef/cef_browser.h"
#include "lobby/bindings/cef/cef_window.h"
#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/value_access.h"
#include "platform/cefhx/host_contract.h"
#include "runtime/class_builder.h"
#include "runtime/record.h"

namespace cef {
namespace {

namespace field = cefhx::field;

using F = CefFrame;

std::optional<std::string> text(const rt::Value& v) {
    return rt::fromValue<std::optional<std::string>>(v);
}

}  // namespace

BINDINGS_PRIMITIVE_CLASS(CefFrame, CEFHX_FRAME_PRIMITIVES, "cefhx")

void CefFrame::construct(rt::Ref<CefBrowser> browser, rt::Ref<CefWindow> window, bool main,
                         std::string frameName, int32_t id) {
    cefBrowser = browser;
    cefWindow = window;
    isMain = main;
    name = std::move(frameName);
    identifier = id;
}

bool CefFrame::initialised() const {
    rt::Ref<CefBrowser> browser = cefBrowser.lock();
    return browser && browser->isInit;
}

rt::Value CefFrame::handle() const {
    rt::Ref<CefWindow> window = cefWindow.lock();
    return window ? window->_handle : rt::Value();
}

rt::Value CefFrame::host(const rt::Primitive& primitive, std::initializer_list<rt::Value> more) {
    std::vector<rt::Value> args{handle(), isMain, name};
    args.insert(args.end(), more.begin(), more.end());
    return primitive.call(args);
}

void CefFrame::destroy() {
    cefWindow = rt::WeakRef<CefWindow>();
    cefBrowser = rt::WeakRef<CefBrowser>();
}

rt::Ref<CefWindow> CefFrame::getCefWindow() {
    return cefWindow.lock();
}
rt::Ref<CefBrowser> CefFrame::getBrowser() {
    return cefBrowser.lock();
}
std::optional<std::string> CefFrame::getUrl() {
    return text(host(frame_geturl));
}

rt::Ref<CefFrame> CefFrame::getParent() {
    rt::Ref<CefBrowser> browser = cefBrowser.lock();
    if (!browser || !browser->isInit) return nullptr;
    int32_t parentId = host(frame_getparentid).toInt();
    if (parentId == -1) return nullptr;
    if (browser->frames) {
        for (const rt::Value& f : browser->frames->items()) {
            rt::Ref<CefFrame> frame = f.as<CefFrame>();
            if (frame && frame->identifier == parentId) return frame;
        }
    }
    rt::Value record = host(frame_getparentobj);
    return record.isNull() ? nullptr : browser->initFrame(record);
}

int32_t CefFrame::getIdentifier() {
    if (identifier != -1) return identifier;
    return host(frame_getidentifier).toInt();
}

bool CefFrame::isFocused() {
    rt::Value v = host(frame_isfocused);
    return v.toBool() || v.toFloat() != 0;
}

rt::Value CefFrame::invokeJsFunc(std::optional<std::string> function, rt::Value args) {
    if (!initialised()) return {};
    return host(frame_invokejsfunc, {rt::toValue(function), args});
}

rt::Value CefFrame::evalJavaScript(std::optional<std::string> code) {
    if (!initialised()) return {};
    return host(frame_evaljavascript, {rt::toValue(code)});
}

void CefFrame::executeJavaScript(std::optional<std::string> code, std::optional<std::string> url,
                                 rt::Value third) {
    rt::Ref<rt::Record> extra = rt::Record::of(
        {{field::kUrl, url.value_or("")}, {field::kX, third.isNull() ? rt::Value(0) : third}});
    if (!initialised()) return;
    host(frame_executejavascript, {rt::toValue(code), extra});
}

void CefFrame::loadString(std::optional<std::string> text, std::optional<std::string> url) {
    if (initialised()) host(frame_loadstring, {rt::toValue(text), rt::toValue(url)});
}

void CefFrame::loadURL(std::optional<std::string> url) {
    if (initialised()) host(frame_loadurl, {rt::toValue(url)});
}

std::optional<std::string> CefFrame::getText() {
    if (!initialised()) return std::nullopt;
    return text(host(frame_gettext));
}

std::optional<std::string> CefFrame::getSource() {
    if (!initialised()) return std::nullopt;
    return text(host(frame_getsource));
}

void CefFrame::viewSource() {
    if (initialised()) host(frame_viewsource);
}
void CefFrame::print() {
    if (initialised()) host(frame_print);
}
void CefFrame::selectAll() {
    if (initialised()) host(frame_selectall);
}
void CefFrame::delete_() {
    if (initialised()) host(frame_delete);
}
void CefFrame::paste() {
    if (initialised()) host(frame_paste);
}
void CefFrame::copy() {
    if (initialised()) host(frame_copy);
}
void CefFrame::cut() {
    if (initialised()) host(frame_cut);
}
void CefFrame::redo() {
    if (initialised()) host(frame_redo);
}
void CefFrame::undo() {
    if (initialised()) host(frame_undo);
}

const rt::ClassInfo& CefFrame::staticClassInfo() {
    static const rt::ClassInfo& info = []() -> const rt::ClassInfo& {
        rt::ClassBuilder<F> builder("cef.CefFrame");
        bindings::addPrimitiveStatics(builder, kPrimitives);
        return builder.fields(RT_NAMED(F, isMain, name, identifier, cefBrowser, cefWindow))
            .methods(RT_NAMED(F, destroy, getCefWindow, getBrowser, getUrl, getParent,
                              getIdentifier, isFocused, invokeJsFunc, evalJavaScript,
                              executeJavaScript, loadString, loadURL, getText, getSource,
                              viewSource, print, selectAll))
            .method("delete", &F::delete_)
            .methods(RT_NAMED(F, paste, copy, cut, redo, undo))
            .constructor(&F::construct)
            .build();
    }();
    return info;
}

RT_REGISTER_CLASS(CefFrame);

}  // namespace cef
