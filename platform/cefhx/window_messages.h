// Message numbers that reach a host window through the message loop. Other libraries post the
// system messages to the window's handle; the host turns them into onSystemMessage calls while
// the window's message hook is on.
#pragma once

#include <cstdint>

#include "platform/msgloop/msgloop.h"
#include "platform/shared/system_messages.h"

namespace cefhx {

// System messages, delivered as onSystemMessage(kind, wparam, lparam).
inline constexpr uint32_t kHotKeyMessage = 0x0312;              // "hotkey"
inline constexpr uint32_t kTrayMessage = SYSMSG_TRAY;           // "tray": lparam the mouse message
inline constexpr uint32_t kNewAppMessage = ML_WM_APP + 0x0102;  // "newapp"

// Window state changes, posted by the host itself so that the window hears of them after the
// call that caused them has returned.
inline constexpr uint32_t kSizedMessage = ML_WM_USER + 1;
inline constexpr uint32_t kMaximizedMessage = ML_WM_USER + 2;
inline constexpr uint32_t kMinimizedMessage = ML_WM_USER + 3;
inline constexpr uint32_t kRestoredMessage = ML_WM_USER + 4;
inline constexpr uint32_t kFullScreenMessage = ML_WM_USER + 5;

}  // namespace cefhx
