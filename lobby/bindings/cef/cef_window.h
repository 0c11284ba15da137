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

// The window's properties before its other members, in the order the class lists them:
// HOST(name, id, type) kept by the host under that property id, readable and writable;
// HOST_READ(name, id, type) likewise but read-only; OWN(name) with accessors of its own;
// FIELD(name) a plain field.
// clang-format off
#define CEF_WINDOW_PROPERTIES(HOST, HOST_READ, OWN, FIELD) \
    HOST(enabled, Enabled, bool) \
    HOST(caption, Caption, bool) \
    OWN(visible) \
    FIELD(_visible) \
    HOST(maximized, Maximized, bool) \
    HOST(minimized, Minimized, bool) \
    HOST_READ(plain, Plain, bool) \
    OWN(title) \
    HOST(dropTarget, DropTarget, bool) \
    HOST_READ(transparent, Transparent, bool) \
    HOST(fullScreen, FullScreen, bool) \
    HOST(top, Top, int32_t) \
    HOST(left, Left, int32_t) \
    HOST(height, Height, int32_t) \
    HOST(width, Width, int32_t) \
    HOST(minimizeIcon, MinimizeIcon, bool) \
    HOST(maximizeIcon, MaximizeIcon, bool) \
    HOST(resizable, Resizable, bool)
// clang-format on
#define CEF_WINDOW_NOTHING(...)

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

    // Host-backed accessors (get_<name>, and set_<name> unless read-only): each access asks the
    // host, nothing is kept here.
#define CEF_WINDOW_HOST_ACCESSORS(name, id, T) \
    virtual T set_##name(T v);                 \
    virtual T get_##name();
#define CEF_WINDOW_HOST_GETTER(name, id, T) virtual T get_##name();
    CEF_WINDOW_PROPERTIES(CEF_WINDOW_HOST_ACCESSORS, CEF_WINDOW_HOST_GETTER, CEF_WINDOW_NOTHING,
                          CEF_WINDOW_NOTHING)
#undef CEF_WINDOW_HOST_ACCESSORS
#undef CEF_WINDOW_HOST_GETTER
    virtual bool set_visible(bool on);
    virtual bool get_visible();
    virtual std::optional<std::string> set_title(std::optional<std::string> title);
    // The title last set (the host is not asked).
    std::optional<std::string> get_title();

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
    template <class T>
    T setHostProperty(cefhx::WindowProperty id, T v);
    template <class T>
    T getHostProperty(cefhx::WindowProperty id);

    // Guards the writes of _handle on the UI thread against its reads by posting threads.
    mutable std::mutex handleMutex_;
};

}  // namespace cef
