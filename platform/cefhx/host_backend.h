// What the primitives need of a browser host. The primitive bodies (primitives_*.cpp) are one
// set for every host: they read the program's arguments, look up windows and frames, answer
// unknown handles and convert the results; a host is a backend behind them. The browser host
// over Chromium (browser_backend.cpp) and the test host (tools/testhost/test_backend.cpp) each
// implement this interface, and each library defines hostBackend() to name its own.
//
// Everything runs on the loop thread except postTask, and called() and failed() for
// cef_app_posttask, which any thread may call. Frames are the primitive's copy of the window's
// frame: the frame list may change while a call waits.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cefhx/host_contract.h"
#include "platform/cefhx/host_window.h"
#include "platform/cefhx/x11_desktop.h"
#include "platform/msgloop/msgloop.h"
#include "runtime/value.h"

namespace cefhx {

enum class MouseButton { Left, Middle, Right };
enum class KeyEventType { Up, RawDown, Char };

using SharedWindow = std::shared_ptr<HostWindow>;

// The screen the system metrics describe.
struct ScreenSize {
    int width = 0;
    int height = 0;
};

class HostBackend {
public:
    virtual ~HostBackend() = default;

    // A primitive that acts was called: its name, the handle of the window it names (null for
    // one that names none) and its other arguments as the program passed them. Before the
    // body runs, whether or not the handle names a window.
    virtual void called(std::string_view primitive, const rt::Value* handle,
                        std::span<const rt::Value> args) = 0;
    // A primitive's body failed; `failure` names the primitive and what failed.
    virtual void failed(const std::string& failure) = 0;

    // ---- application ----
    virtual void runMain(const rt::Value& ready, const rt::Value& settings) = 0;
    virtual void requestQuit() = 0;
    virtual ScreenSize screen() = 0;
    // The hot key's id, -1 when none was registered; `w` is null for a handle naming no window.
    virtual int registerHotKey(const SharedWindow& w, const std::string& name, int modifiers,
                               int key) = 0;
    virtual bool unregisterHotKey(const SharedWindow& w, const std::string& name) = 0;
    // True for the first running copy of the program named `name`.
    virtual bool claimInstance(const std::string& name) = 0;
    // Ends this user's processes of the program `program`, or the process `pid`; true when one
    // was asked to end.
    virtual bool closeProcesses(const std::string& program) = 0;
    virtual bool closeProcess(int pid) = 0;
    // A copy-data message to the window `target` of another program (target > 0).
    virtual void sendMessage(long target, const std::string& text, int number) = 0;
    virtual void setFilterPaths(std::vector<std::string> paths) = 0;

    // ---- windows ----
    // The new window's handle, null when none could be made.
    virtual rt::Value createWindow(int width, int height, int flags, const rt::Value& object,
                                   const rt::Value& browser) = 0;
    // The window of the loop handle, null for none; one being destroyed is still found.
    virtual SharedWindow window(ml_hwnd hwnd) = 0;
    // Asks on_close; true when the window agreed and was destroyed.
    virtual bool closeWindow(const SharedWindow& w) = 0;
    virtual void showWindow(const SharedWindow& w, bool visible) = 0;
    virtual void setProperty(const SharedWindow& w, WindowProperty id, const rt::Value& v) = 0;
    // browser_setsize: the browser's width and height as the program gave them.
    virtual void setBrowserSize(const SharedWindow& w, const rt::Value& width,
                                const rt::Value& height) = 0;
    virtual void setNativeTitle(const SharedWindow& w, const std::string& title) = 0;
    virtual void dragWindow(const SharedWindow& w, MoveResize what) = 0;
    // A rounded bounding region: the rect's left, top, right and bottom, the corner's size.
    virtual void setWindowRound(const SharedWindow& w, int left, int top, int right, int bottom,
                                int cornerWidth, int cornerHeight) = 0;
    // Any thread: raises "on_task" with `delay` on the window after the delay.
    virtual bool postTask(ml_hwnd hwnd, const rt::Value& delay) = 0;

    // ---- browsers ----
    virtual void setFocusEmulation(HostWindow& w, bool on) = 0;
    virtual void mouseWheel(HostWindow& w, int x, int y, int deltaX, int deltaY) = 0;
    virtual void mouseMove(HostWindow& w, int x, int y) = 0;
    virtual void mouseClick(HostWindow& w, int x, int y, MouseButton button, bool up,
                            int count) = 0;
    virtual void keyEvent(HostWindow& w, KeyEventType type, int code, int modifiers) = 0;
    virtual void clearHistory(HostWindow& w) = 0;
    virtual void find(HostWindow& w, const std::string& text, bool matchCase, bool forward) = 0;
    virtual void stopFind(HostWindow& w) = 0;
    virtual void stopLoad(HostWindow& w) = 0;
    virtual void reload(HostWindow& w, bool ignoreCache) = 0;
    // One step through the history, forward or back.
    virtual void go(HostWindow& w, bool forward) = 0;
    virtual bool canGo(HostWindow& w, bool forward) = 0;
    virtual void setFocus(HostWindow& w, bool on) = 0;
    // The window's zoomLevel was set.
    virtual void applyZoom(HostWindow& w) = 0;
    virtual bool hasDocument(HostWindow& w) = 0;

    // ---- frames ----
    virtual bool isFocused(HostWindow& w, const FrameInfo& f) = 0;
    // What the page answers: the function called with the arguments (an array, else none), the
    // code's value, the document's text and source.
    virtual rt::Value invoke(HostWindow& w, const FrameInfo& f, const std::string& function,
                             const rt::Value& args) = 0;
    virtual rt::Value evaluate(HostWindow& w, const FrameInfo& f, const std::string& code) = 0;
    virtual rt::Value documentText(HostWindow& w, const FrameInfo& f) = 0;
    virtual rt::Value documentSource(HostWindow& w, const FrameInfo& f) = 0;
    // Runs code for its effect; `sourceUrl` names it in the page's traces (empty for none).
    virtual void execute(HostWindow& w, const FrameInfo& f, const std::string& code,
                         const std::string& sourceUrl) = 0;
    virtual void loadString(HostWindow& w, const FrameInfo& f, const std::string& html) = 0;
    virtual void loadUrl(HostWindow& w, const FrameInfo& f, const std::string& url) = 0;
    // An editing command by its document name ("selectAll", "copy", "undo", ...).
    virtual void editCommand(HostWindow& w, const FrameInfo& f, std::string_view command) = 0;
};

// The backend of the library the primitives are built into; each library defines it.
HostBackend& hostBackend();

}  // namespace cefhx
