#pragma once

#include <optional>
#include <string>

#include "lobby/games/game_window.h"
#include "lobby/games/plug_session.h"

namespace lobby {

// The window of window mode 6: a native game driven through the Sondrel plug-in. Every sit-down
// links the game; user and room records and texts go to the plug-in as they come (no queues),
// and the game's texts go back to the page. By name, the session gives the window the seat
// (buy_unit to myChairId) and gamePlug.
class PlugGameWindow : public GameWindow, public games::PlugSession {
    RT_CLASS(PlugGameWindow)
public:
    static inline games::PlugLibrary plugLibrary;

    // Binds the primitives from "Sondrel".
    static void initStatics();

    PlugGameWindow() : PlugSession(plugLibrary, Held::Nothing) {}

    void construct(rt::Value gameInfo, rt::Value gameRoom, bool isFixSeat);

    virtual void destroyPlug();
    virtual void onSelfSitDown(rt::Value a, int32_t chairId, int32_t uid);
    virtual void sendUserItem(rt::Value userId, rt::Value name, rt::Value gameId, rt::Value tableId,
                              rt::Value chairId, rt::Value status, rt::Value score);
    virtual void onUserLeave(rt::Value userId, rt::Value tableId, rt::Value chairId);
    virtual void onUserEnter(rt::Value user, rt::Value tableId, rt::Value chairId);

    // The session's operations.
    void onGameClose(rt::Value code) override;
    void onPlugMsg(std::optional<std::string> text) override;
    void onPlugLink(rt::Value flag) override;
    void sendRoomInfo() override;
    void sendData(std::string text) override;

    rt::Value onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) override;
    void onDestroy() override;
    bool onClose() override;
    void gameAlert(std::optional<std::string> message) override;
    void hotkeyShow(bool flag) override;
    void onMessage(rt::Value data) override;
    void setShow(bool flag) override;
};

}  // namespace lobby
