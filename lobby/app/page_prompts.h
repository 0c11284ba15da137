#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "lobby/bindings/cef/cef_window.h"
#include "runtime/value.h"

// How the lobby's own windows answer their page's context menus and alerts.
namespace lobby {

// Whether the browser may show its context menu: always for a menu whose type flags are
// `alwaysType`, never over an empty text selection, otherwise yes.
bool contextMenuShown(const rt::Value& info, int32_t alwaysType);

// Whether the browser may show the page's alert. The alert a page shows when its captcha
// picture failed to load is not shown: the page is asked for a new picture instead.
bool alertShown(const rt::Ref<cef::CefWindow>& window, const std::optional<std::string>& message);

}  // namespace lobby
