#pragma once

#include <optional>
#include <string>

#include "lobby/games/game_window.h"
#include "runtime/primitive.h"

namespace lobby {

// The window of window mode 1, a fishing game run as a native process through PexmorPlug. The
// game starts when the page reports the player's sit-down (or on setShow(true)); users, rooms
// and texts for the game wait in the class's queues until it links.
class PexmorFishGameWindow : public GameWindow {
    RT_CLASS(PexmorFishGameWindow)
public:
    static inline rt::Ref<rt::Array> msg_packet_arr;
    static inline rt::Ref<rt::Array> msg_user_arr;
    static inline rt::Ref<rt::Array> msg_room_arr;

    static inline rt::Primitive plug_create;
    static inline rt::Primitive plug_link;
    static inline rt::Primitive plug_destroy;
    static inline rt::Primitive plug_send;
    static inline rt::Primitive plug_closegame;
    static inline rt::Primitive plug_setuser;
    static inline rt::Primitive plug_setroom;

    // Makes the queues and binds the primitives from "PexmorPlug".
    static void initStatics();

    bool process_exist = false;
    bool process_ready = false;
    int32_t buy_unit = 0;
    int32_t unit_money = 0;
    double into_money = 0;
    int32_t sceneId = 0;
    int32_t cannonType = 0;
    int32_t room_type = 0;
    int32_t myUid = -1;
    int32_t myChairId = -2;
    rt::Value gamePlug;

    void construct(rt::Value gameInfo, rt::Value gameRoom, bool isFixSeat, rt::Value page);

    virtual void destroyPlug();
    virtual void onGameClose(rt::Value code);
    virtual void sendRoomInfo();
    virtual void onPlugMsg(std::optional<std::string> text);
    virtual void ClearPacket();
    virtual void SendPacket();
    virtual void onPlugLink(rt::Value flag);
    virtual void onSelfSitDown(rt::Value a, int32_t chairId, int32_t uid, int32_t roomType);
    virtual void onUserLeave(rt::Value userId, rt::Value tableId, rt::Value chairId);
    virtual void sendUserItem(rt::Value userId, rt::Value name, rt::Value gameId, rt::Value tableId,
                              rt::Value chairId, rt::Value status, rt::Value score);
    virtual void onUserEnter(rt::Value user, rt::Value tableId, rt::Value chairId);
    virtual void sendData(std::string text);

    rt::Value onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) override;
    void onDestroy() override;
    bool onClose() override;
    void closeExeGame() override;
    void gameAlert(std::optional<std::string> message) override;
    void setShow(bool flag) override;
    void hotkeyShow(bool flag) override;
    void onMessage(rt::Value data) override;

private:
    bool startApplies() const;
    // Empties the queues and starts the game program with the room type.
    void launch();
};

}  // namespace lobby
