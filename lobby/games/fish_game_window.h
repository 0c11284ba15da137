#pragma once

#include <string>

#include "lobby/games/linked_plug_window.h"
#include "runtime/primitive.h"

namespace lobby {

// The window of window mode 5: a native fishing game driven through the RavoPlug plug-in. The
// sit-down starts the game; the page's user, desk and room events become the plug-in's records,
// and texts pass both ways. By name, the session gives the window the seat (buy_unit, the desk's
// "exchange_count", to myChairId) and gamePlug.
class FishGameWindow : public LinkedPlugWindow {
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

    FishGameWindow() : LinkedPlugWindow(plugLibrary) {}

    void construct(rt::Value gameInfo, rt::Value gameRoom, bool isFixSeat);

    virtual void sendUserAttr();
    virtual void sendUserStatus(rt::Value userId, rt::Value tableId, rt::Value chairId,
                                rt::Value status);
    virtual void sendUserScore(rt::Value userId, rt::Value score);
    virtual void sendGameState();
    virtual void sendExchangeScore(rt::Value chairId, rt::Value x, rt::Value y);
    virtual void sendGameConfig(rt::Value desk);
    void onUserLeave(rt::Value userId, rt::Value tableId, rt::Value chairId) override;
    void onUserEnter(rt::Value user, rt::Value tableId, rt::Value chairId) override;

    // Also the page's desk configuration.
    rt::Value onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) override;

protected:
    // The room record and the game state go to the game.
    void onGameReady() override;
};

}  // namespace lobby
