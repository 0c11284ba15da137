#include "lobby/bindings/cef/cef_app.h"

#include "lobby/bindings/cef/cef_settings.h"
#include "lobby/bindings/cef/cef_window.h"
#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/value_access.h"
#include "runtime/class_builder.h"
#include "runtime/exception.h"
#include "runtime/function.h"
#include "runtime/strings.h"
#include "runtime/url_codec.h"

namespace cef {
namespace {

using BoundClass = CefApp;

const bindings::PrimitiveSlot kPrimitives[] = {CEFHX_APP_PRIMITIVES(BINDINGS_PRIMITIVE_SLOT)};

rt::Value handleOf(const rt::Ref<CefWindow>& window) {
    return window ? window->_handle : rt::Value();
}

// URL-encodes a path but keeps the drive colon, the separators "/" and the parentheses of
// folder names such as "Program Files (x86)".
std::string encodeFilterPath(const std::string& path) {
    std::string out = rt::urlEncode(path);
    out = rt::replaceAll(out, "%3A", ":");
    out = rt::replaceAll(out, "%2F", "/");
    out = rt::replaceAll(out, "%28", "(");
    return rt::replaceAll(out, "%29", ")");
}

}  // namespace

void CefApp::initStatics() {
    isQuit = false;
    onQuit = nullptr;
    sIsInit = false;
    naviteWindows = rt::make<rt::Array>();
    filterResourcePaths = nullptr;
    bindings::bindAll("cefhx", kPrimitives);
}

void CefApp::main(rt::Value onInit, rt::Ref<CefSettings> settings) {
    if (sIsInit) {
        throw rt::Exception(
            "cef.App.main called multiple times. This function is automatically called by the "
            "project code.");
    }
    sIsInit = true;
    naviteWindows = rt::make<rt::Array>();
    cef_app_setglobalapp(rt::Value::ofClass(staticClassInfo()));
    rt::Ref<rt::Function> ready =
        rt::Function::of("cef.CefApp.ready", [onInit](std::span<const rt::Value>) {
            if (!onInit.isNull()) onInit.call({});
            return rt::Value();
        });
    cef_app_main(ready, settings);
}

void CefApp::quit() {
    if (isQuit.exchange(true)) return;
    if (!onQuit.isNull()) onQuit.call({});
    cef_app_quit();
}

int32_t CefApp::getSystemMetrics(int32_t index) {
    return cef_getsystemmetrics(index).toInt();
}

std::optional<std::string> CefApp::unicode2Ansi(std::optional<std::string> s) {
    return rt::fromValue<std::optional<std::string>>(cef_unicode2ansi(s));
}

std::optional<std::string> CefApp::ansi2Unicode(std::optional<std::string> s) {
    return rt::fromValue<std::optional<std::string>>(cef_ansi2unicode(s));
}

bool CefApp::registeAppInstance(std::optional<std::string> name) {
    return cef_app_registeinstance(name).toBool();
}

bool CefApp::closeProcess(std::optional<std::string> name) {
    return cef_app_closeprocess(name).toBool();
}

bool CefApp::closeProcessById(int32_t id) {
    return cef_app_closeprocessbyid(id).toBool();
}

int32_t CefApp::registerHotKey(rt::Ref<CefWindow> window, std::optional<std::string> name,
                               int32_t a, int32_t b) {
    if (!window || !name) return -1;
    return cef_app_registerhotkey(window->_handle, name, a, b).toInt();
}

bool CefApp::unRegisterHotKey(rt::Ref<CefWindow> window, std::optional<std::string> name) {
    if (!window) return false;
    return cef_app_unregisterhotkey(window->_handle, name).toBool();
}

void CefApp::sendMessage(rt::Value target, std::optional<std::string> message, int32_t value) {
    cef_app_sendmessage(target, message, value);
}

std::optional<std::string> CefApp::getHwndStr(rt::Ref<CefWindow> window) {
    return rt::fromValue<std::optional<std::string>>(cef_app_gethwndstr(handleOf(window)));
}

bool CefApp::isCurrentThreadOn(int32_t threadId) {
    return cef_app_currentlyon(threadId).toBool();
}

void CefApp::setOSModalLoop(bool on) {
    cef_setosmodalloop(on);
}

void CefApp::setFilterResourcePath(rt::Ref<rt::Array> paths) {
    if (!paths || paths->size() == 0) return;
    rt::Ref<rt::Array> encoded = rt::make<rt::Array>();
    for (const rt::Value& entry : paths->items()) {
        if (entry.isNull()) continue;
        std::string path = rt::fromValue<std::string>(entry);
        if (path.empty()) continue;
        encoded->push(encodeFilterPath(path));
    }
    filterResourcePaths = encoded;
    cef_app_setfilterpath(encoded);
}

const rt::ClassInfo& CefApp::staticClassInfo() {
    static const rt::ClassInfo& info = []() -> const rt::ClassInfo& {
        rt::ClassBuilder<CefApp> builder("cef.CefApp");
        builder.staticField("isQuit", &isQuit)
            .staticField("onQuit", &onQuit)
            .staticField("sIsInit", &sIsInit)
            .staticField("naviteWindows", &naviteWindows)
            .staticField("filterResourcePaths", &filterResourcePaths);
        bindings::addPrimitiveStatics(builder, kPrimitives);
        return builder
            .staticMethods(RT_NAMED(CefApp, main, quit, getSystemMetrics, unicode2Ansi,
                                    ansi2Unicode, registeAppInstance, closeProcess,
                                    closeProcessById, registerHotKey, unRegisterHotKey, sendMessage,
                                    getHwndStr, isCurrentThreadOn, setOSModalLoop,
                                    setFilterResourcePath))
            .build();
    }();
    return info;
}

RT_REGISTER_CLASS(CefApp);

}  // namespace cef
