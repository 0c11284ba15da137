#pragma once

#include <optional>
#include <string>

#include "lobby/games/game_window.h"
#include "lobby/games/plug_session.h"
#include "runtime/primitive.h"

namespace lobby {

// The window of window mode 5: a native fishing game driven through the RavoPlug plug-in. The
// sit-down starts the game; the page's user, desk and room events become the plug-in's records,
// and texts pass both ways. By name, the session gives the window the seat (buy_unit, the desk's
// "exchange_count", to myChairId) and gamePlug.
class FishGameWindow : public GameWindow, public games::PlugSession {
    RT_CLASS(FishGameWindow)
public:
    static inline games::PlugLibrary plugLibrary;
    // RavoPlug's own primitives.
    static inline rt::Primitive plug_sendgameconfig;
    static inline rt::Primitive plug_sendgamestate;
    static inline rt::Primitive plug_setuserscore;
    static inline rt::Primitive plug_sendexchangescore;
    static inline rt::Primitive plug_setuserstatus;

    // Binds the primitives from "RavoPlug".
    static void initStatics();

    FishGameWindow() : PlugSession(plugLibrary, Held::Nothing) {}

    void construct(rt::Value gameInfo, rt::Value gameRoom, bool isFixSeat);

    virtual void destroyPlug();
    virtual void sendUserAttr();
    virtual void sendUserStatus(rt::Value userId, rt::Value tableId, rt::Value chairId,
                                rt::Value status);
    virtual void sendUserScore(rt::Value userId, rt::Value score);
    virtual void sendUserItem(rt::Value userId, rt::Value name, rt::Value gameId, rt::Value tableId,
                              rt::Value chairId, rt::Value status, rt::Value score);
    virtual void sendGameState();
    virtual void sendExchangeScore(rt::Value chairId, rt::Value x, rt::Value y);
    virtual void sendGameConfig(rt::Value desk);
    virtual void onSelfSitDown(rt::Value a, int32_t chairId, int32_t uid);
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
