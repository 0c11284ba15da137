#pragma once

#include <optional>
#include <string>

#include "lobby/games/game_window.h"
#include "lobby/games/plug_session.h"

namespace lobby {

// The window of window mode 1, a fishing game run as a native process through PexmorPlug. The
// game starts when the page reports the player's sit-down (or on setShow(true)); users, rooms
// and texts for the game wait in the class's queues until it links. By name, the session gives
// the window process_exist, process_ready, the seat (buy_unit to myChairId) and gamePlug.
class PexmorFishGameWindow : public GameWindow, public games::PlugSession {
    RT_CLASS(PexmorFishGameWindow)
public:
    static inline games::PlugLibrary plugLibrary;

    // Makes the queues and binds the primitives from "PexmorPlug".
    static void initStatics();

    PexmorFishGameWindow() : PlugSession(plugLibrary, Held::UsersRoomsAndTexts) {}

    void construct(rt::Value gameInfo, rt::Value gameRoom, bool isFixSeat, rt::Value page);

    virtual void destroyPlug();
    virtual void ClearPacket();
    virtual void SendPacket();
    virtual void onSelfSitDown(rt::Value a, int32_t chairId, int32_t uid, int32_t roomType);
    virtual void onUserLeave(rt::Value userId, rt::Value tableId, rt::Value chairId);
    virtual void sendUserItem(rt::Value userId, rt::Value name, rt::Value gameId, rt::Value tableId,
                              rt::Value chairId, rt::Value status, rt::Value score);
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
    void closeExeGame() override;
    void gameAlert(std::optional<std::string> message) override;
    void setShow(bool flag) override;
    void hotkeyShow(bool flag) override;
    void onMessage(rt::Value data) override;
};

}  // namespace lobby
