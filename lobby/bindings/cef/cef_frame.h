#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "lobby/bindings/primitive_binder.h"
#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/primitive.h"

namespace cef {

class CefBrowser;
class CefWindow;

// One frame of a window's page. It holds no handle: the host finds the frame from the window's
// native handle, the main-frame flag and the name, the first three arguments of every frame
// primitive. Most operations do nothing until the browser is initialised.
class CefFrame final : public rt::Object {
    RT_CLASS(CefFrame)
public:
    // The primitives this class binds, each in a static named as the program reads it.
    CEFHX_FRAME_PRIMITIVES(BINDINGS_DECLARE_PRIMITIVE)

    // Binds the primitives from "cefhx".
    static void initStatics();

    bool isMain = false;
    std::string name;
    // The host's frame id, -1 when the host gave none.
    int32_t identifier = -1;
    // Not owned: the browser owns its frames and the window its browser.
    rt::WeakRef<CefBrowser> cefBrowser;
    rt::WeakRef<CefWindow> cefWindow;

    void construct(rt::Ref<CefBrowser> browser, rt::Ref<CefWindow> window, bool main,
                   std::string frameName, int32_t id);

    // Forgets the browser and the window.
    void destroy();
    rt::Ref<CefWindow> getCefWindow();
    rt::Ref<CefBrowser> getBrowser();
    std::optional<std::string> getUrl();
    rt::Ref<CefFrame> getParent();
    int32_t getIdentifier();
    bool isFocused();
    // Calls the page function `function` with the elements of `args`; answers its result.
    rt::Value invokeJsFunc(std::optional<std::string> function, rt::Value args);
    rt::Value evalJavaScript(std::optional<std::string> code);
    void executeJavaScript(std::optional<std::string> code, std::optional<std::string> url,
                           rt::Value third);
    void loadString(std::optional<std::string> text, std::optional<std::string> url);
    void loadURL(std::optional<std::string> url);
    std::optional<std::string> getText();
    std::optional<std::string> getSource();
    void viewSource();
    void print();
    void selectAll();
    void delete_();
    void paste();
    void copy();
    void cut();
    void redo();
    void undo();

private:
    bool initialised() const;
    rt::Value handle() const;
    // Calls a frame primitive with the frame's three keys before `more`.
    rt::Value host(const rt::Primitive& primitive, std::initializer_list<rt::Value> more = {});
};

}  // namespace cef
