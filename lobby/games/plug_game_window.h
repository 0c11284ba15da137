#pragma once

#include <string>

#include "lobby/games/linked_plug_window.h"

namespace lobby {

// The window of window mode 6: a native game driven through the Sondrel plug-in. Every sit-down
// links the game; user and room records and texts go to the plug-in as they come (no queues),
// and the game's texts go back to the page. By name, the session gives the window the seat
// (buy_unit to myChairId) and gamePlug.
class PlugGameWindow : public LinkedPlugWindow {
    RT_CLASS(PlugGameWindow)
public:
    static inline games::PlugLibrary plugLibrary;

    // Binds the primitives from "Sondrel".
    static void initStatics();

    PlugGameWindow() : LinkedPlugWindow(plugLibrary) {}

    void construct(rt::Value gameInfo, rt::Value gameRoom, bool isFixSeat);

    void onUserLeave(rt::Value userId, rt::Value tableId, rt::Value chairId) override;
    void onUserEnter(rt::Value user, rt::Value tableId, rt::Value chairId) override;

    // Traces the texts of the page's socket calls.
    rt::Value onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) override;
};

}  // namespace lobby
