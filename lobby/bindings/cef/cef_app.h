#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "lobby/bindings/primitive_binder.h"
#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/primitive.h"

namespace cef {

class CefSettings;
class CefWindow;

// The program's entry into the browser host: it runs the host's message loop once, ends it
// once, keeps the list of live windows and wraps the host's application-wide services. All
// members are static.
class CefApp final : public rt::Object {
    RT_CLASS(CefApp)
public:
    // Set by quit; from then on every window refuses work. Read on any thread.
    static inline std::atomic<bool> isQuit{false};
    // The application's shut-down routine, run by quit.
    static inline rt::Value onQuit;
    static inline bool sIsInit = false;
    // Every window whose native window exists, in order of creation.
    static inline rt::Ref<rt::Array> naviteWindows;
    // The encoded list last given to the host by setFilterResourcePath.
    static inline rt::Ref<rt::Array> filterResourcePaths;

    // The primitives this class binds, each in a static named as the program reads it.
    CEFHX_APP_PRIMITIVES(BINDINGS_DECLARE_PRIMITIVE)

    // Sets every static to its starting value and binds the primitives from "cefhx".
    static void initStatics();

    // Runs the host's message loop on the calling thread until quit; `onInit` runs once when the
    // host is ready. A second call raises.
    static void main(rt::Value onInit, rt::Ref<CefSettings> settings);
    // Runs onQuit and ends the loop; later calls do nothing.
    static void quit();

    static int32_t getSystemMetrics(int32_t index);
    static std::optional<std::string> unicode2Ansi(std::optional<std::string> s);
    static std::optional<std::string> ansi2Unicode(std::optional<std::string> s);
    static bool registeAppInstance(std::optional<std::string> name);
    static bool closeProcess(std::optional<std::string> name);
    static bool closeProcessById(int32_t id);
    // -1 without asking the host when the window or the name is missing.
    static int32_t registerHotKey(rt::Ref<CefWindow> window, std::optional<std::string> name,
                                  int32_t a, int32_t b);
    static bool unRegisterHotKey(rt::Ref<CefWindow> window, std::optional<std::string> name);
    static void sendMessage(rt::Value target, std::optional<std::string> message, int32_t value);
    static std::optional<std::string> getHwndStr(rt::Ref<CefWindow> window);
    static bool isCurrentThreadOn(int32_t threadId);
    static void setOSModalLoop(bool on);
    // Gives the host the resource paths, each URL-encoded with ":", "/", "(" and ")" kept.
    static void setFilterResourcePath(rt::Ref<rt::Array> paths);
};

}  // namespace cef
