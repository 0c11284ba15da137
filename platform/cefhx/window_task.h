// cef_app_posttask: after the delay (milliseconds, clamped to a day; none when not a positive
// number) `run` gets the window and the delay value on the loop thread, once per post. Any
// thread may post.
#pragma once

#include "platform/msgloop/msgloop.h"
#include "runtime/value.h"

namespace cefhx {

using WindowTaskRunner = void (*)(ml_hwnd hwnd, const rt::Value& delay);

bool postWindowTask(ml_hwnd hwnd, const rt::Value& delay, WindowTaskRunner run);

}  // namespace cefhx
