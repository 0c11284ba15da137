#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "lobby/bindings/cef/cef_window.h"
#include "runtime/value.h"

// The records and texts the plug-in game windows exchange with their game and page.
namespace lobby::games {

// The game's JSON text as the page's packet {type, tag, body}; null (and a trace line) when the
// text is not a JSON object, so nothing reaches the page.
rt::Value pagePacketOf(std::string_view text);

// The alert for the game, {"type":"game","tag":"alert","body":message}, as JSON text.
std::string alertPacketText(const std::optional<std::string>& message);

// The user record the plug-ins read by field name.
rt::Value userInfoRecord(rt::Value userId, rt::Value name, rt::Value gameId, rt::Value tableId,
                         rt::Value chairId, rt::Value status, rt::Value score);

// The five alerts a Pexmor window only traces.
bool isTracedOnlyAlert(const std::optional<std::string>& message);
// The eight alerts after which a plug-in window resets its working folder (or drops its link).
bool isConnectionAlert(const std::optional<std::string>& message);

// Runs `step` on the window once the current call (a plug-in callback) has returned, through a
// task posted to the window. Nothing runs when the window is gone by then.
void afterCallback(cef::CefWindow& window, std::function<void(cef::CefWindow&)> step);

// The message traced with its text in the system's code page.
std::string ansiText(const std::optional<std::string>& message);

}  // namespace lobby::games
