#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "lobby/bindings/cef/cef_browser.h"
#include "lobby/bindings/cef/cef_browser_settings.h"
#include "lobby/bindings/cef/size.h"
#include "lobby/bindings/primitive_binder.h"
#include "platform/cefhx/host_contract.h"
#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/primitive.h"

namespace cef {

class Rect;
class Task;

// One native top-level window hosting one browser. The host calls the members named on_* and
// onBrowserEvent by name; they turn into the virtual operations that the window classes of the
// program override. Objects are made with rt::create, whose construction steps ask the host for
// the native window, so a host that calls on_create at once reaches the subclass's onCreate.
class CefWindow : public rt::Object {
    RT_CLASS(CefWindow)
public:
    // Window flags, combined by OR into the flag given to the constructor.
#define CEF_WINDOW_FLAG_STATIC(name, value) static inline int32_t name = 0;
    CEFHX_WINDOW_FLAGS(CEF_WINDOW_FLAG_STATIC)
#undef CEF_WINDOW_FLAG_STATIC

    // The primitives this class binds, each in a static named as the program reads it.
    CEFHX_WINDOW_PRIMITIVES(BINDINGS_DECLARE_PRIMITIVE)

    // Sets the window flags and binds the primitives from "cefhx".
    static void initStatics();

    bool _visible = false;
    bool _sysMessageHook = false;
    rt::Ref<Size> minSize;
    // Set once the window is being destroyed; read by threads that post tasks.
    std::atomic<bool> isToDestroy{false};
    // The native handle from on_create; null before it and after on_destroy. Threads that post
    // tasks read it through postingHandle().
    rt::Value _handle;
    rt::Ref<CefBrowser> _cefBrowser;
    int32_t _windowFlag = 0;
    std::optional<std::string> _url;
    rt::Ref<CefBrowserSettings> cefBrowserSet;
    std::optional<std::string> _title;

    // Construction steps: the fields, the browser, then the host's native window. Subclasses
    // run these first from their own construct.
    void construct(std::optional<std::string> url, rt::Value width, rt::Value height,
                   rt::Value windowFlag, rt::Ref<CefBrowserSettings> browserSettings);

    // Host entries and their hooks.
    virtual rt::Value onBrowserEvent(const std::string& name, rt::Value payload);
    virtual bool onSystemMessage(std::optional<std::string> kind, rt::Value a, rt::Value b);
    virtual bool on_size();
    virtual int32_t on_destroy();
    virtual bool on_fullscreen();
    virtual bool on_maximize();
    virtual bool on_restore();
    virtual bool on_minimize();
    virtual bool on_close();
    virtual void on_create(rt::Value handle);
    // The page-call bridge: by default the window's member of that name (see the .cpp).
    virtual rt::Value onJsCallBack(const std::string& name, rt::Ref<rt::Array> args);
    // A page's call from the host. The host names the calling document's address (`caller`):
    // a call from a document outside the trusted pages (PageCallers) is refused with a trace line
    // and answers null.
    virtual rt::Value on_jscall(const std::string& name, rt::Ref<rt::Array> args, rt::Value caller);
    // Posts `task` through this window; the host answers with the event "on_task".
    virtual void runTask(rt::Ref<Task> task, rt::Value delay);
    // The native handle, read safely on any thread while the UI thread creates or destroys the
    // window.
    rt::Value postingHandle() const;

    virtual bool set_enabled(bool on);
    virtual bool get_enabled();
    virtual bool set_caption(bool on);
    virtual bool get_caption();
    virtual bool set_visible(bool on);
    virtual bool get_visible();
    virtual bool set_maximized(bool on);
    virtual bool get_maximized();
    virtual bool set_minimized(bool on);
    virtual bool get_minimized();
    virtual bool get_plain();
    virtual std::optional<std::string> set_title(std::optional<std::string> title);
    // The title last set (the host is not asked).
    std::optional<std::string> get_title();
    virtual bool set_dropTarget(bool on);
    virtual bool get_dropTarget();
    virtual bool get_transparent();
    virtual bool set_fullScreen(bool on);
    virtual bool get_fullScreen();
    virtual int32_t set_top(int32_t v);
    virtual int32_t set_left(int32_t v);
    virtual int32_t set_height(int32_t v);
    virtual int32_t set_width(int32_t v);
    virtual int32_t get_top();
    virtual int32_t get_left();
    virtual int32_t get_height();
    virtual int32_t get_width();
    virtual bool set_minimizeIcon(bool on);
    virtual bool get_minimizeIcon();
    virtual bool set_maximizeIcon(bool on);
    virtual bool get_maximizeIcon();
    virtual bool set_resizable(bool on);
    virtual bool get_resizable();

    virtual bool onSize();
    virtual void onDestroy();
    virtual bool onRestore();
    virtual bool onClose();
    virtual void onCreate();
    virtual bool onMaximize();
    virtual bool onMinimize();
    virtual void setRound(rt::Ref<Rect> rect, rt::Ref<Size> size);
    virtual void drag();
    // Starts sizing from an edge: "L", "R", "T", "TL", "TR", "B", "BL"; anything else is "BR".
    virtual void resize(std::optional<std::string> edge);
    virtual void flash(bool on);
    // Closes the window without asking onClose.
    virtual void destroy();
    // Asks the host to close the window; the host asks on_close first.
    virtual void close();
    virtual void show(bool visible, bool a = true, bool b = true, bool c = false);
    virtual rt::Ref<CefBrowser> get_cefBrowser();
    virtual int32_t get_windowFlag();
    virtual std::optional<std::string> get_url();
    virtual bool get_sysMessageHook();
    virtual bool set_sysMessageHook(bool on);
    virtual std::optional<std::string> set_url(std::optional<std::string> url);

private:
    rt::Value loadResource(const rt::Ref<CefBrowser>& browser, const rt::Value& payload);
    // Host-backed properties: each access asks the host, nothing is kept here.
    template <class T>
    T setHostProperty(cefhx::WindowProperty id, T v);
    bool getFlagProperty(cefhx::WindowProperty id);
    int32_t getIntProperty(cefhx::WindowProperty id);

    // Guards the writes of _handle on the UI thread against its reads by posting threads.
    mutable std::mutex handleMutex_;
};

}  // namespace cef
