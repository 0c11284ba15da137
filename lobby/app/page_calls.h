#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "lobby/bindings/cef/cef_frame.h"
#include "lobby/bindings/cef/cef_window.h"
#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/value.h"

// Small pieces the page bridges of every window share, the game windows' as well: what only
// the game windows need builds on these in the game windows' own layer.
namespace lobby {

// The argument at `index`, null when absent.
rt::Value arg(const rt::Ref<rt::Array>& args, int index);
// The number of arguments (0 for none).
int argCount(const rt::Ref<rt::Array>& args);
// The arguments from `from` on, as a new array.
rt::Ref<rt::Array> argsFrom(const rt::Ref<rt::Array>& args, int from);
// The text form of a value: null stays null, a text stays itself, anything else its text form.
std::optional<std::string> textOf(const rt::Value& v);

// The main frame of a window's browser, or null when the window, the browser or the frame is
// not there.
rt::Ref<cef::CefFrame> mainFrameOf(const rt::Ref<cef::CefWindow>& window);

// Calls the page function `function` in the main frame of `window` with `args`, an argument
// array or null for none. Answers the page function's result, null without a frame.
rt::Value callPageFunction(const rt::Ref<cef::CefWindow>& window, const std::string& function,
                           const rt::Value& args);
// Calls the page function `function` in the main frame of `window`: with the arguments from
// index `from` when there are more than `from` arguments, else with no argument array. Answers
// the page function's result, null without a frame.
rt::Value invokeFrom(const rt::Ref<cef::CefWindow>& window, const std::string& function,
                     const rt::Ref<rt::Array>& args, int from);

// The open game window of the game key at args[first], args[first + 1], args[first + 2]
// (game_type, room_type, room_level), or null: the first of Main::gamesWindow whose `check`
// answers true.
rt::Value gameWindowOf(const rt::Ref<rt::Array>& args, int first);

// The alert a page shows when its captcha picture failed to load.
inline constexpr std::string_view kCaptchaFailedAlert =
    "获取验证码图片失败，请按F5刷新页面重新获取！";

// A browser-event handler that calls the member `name` of `window` by name, so overrides run.
// It holds the window weakly (the browser that keeps the handler is the window's own) and does
// nothing once the window is gone.
rt::Value memberHandler(const rt::Ref<cef::CefWindow>& window, std::string name);

}  // namespace lobby
