#pragma once

#include <optional>
#include <string>

#include "lobby/games/game_window.h"
#include "runtime/primitive.h"

namespace lobby {

// The window of window mode 7, a match game: the game is a native process started and linked
// through the PexmorPlug plug-in; the page relays between it and the lobby page. Texts and room
// records for the game wait in the class's queues until the game has linked.
class GameMatch : public GameWindow {
    RT_CLASS(GameMatch)
public:
    // Texts for the game and room records, held until the game links, oldest first.
    static inline rt::Ref<rt::Array> msg_packet_arr;
    // Made empty; this class neither fills nor replays it.
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
    rt::Value gamePlug;

    void construct(rt::Value gameInfo, rt::Value gameRoom, bool isFixSeat,
                   rt::Value page = "/gamematch.html");

    // Plug-in callbacks, by name.
    virtual void onGameClose(rt::Value code);
    virtual void ClearPacket();
    virtual void SendPacket();
    virtual void sendRoomInfo();
    virtual void onPlugMsg(std::optional<std::string> text);
    virtual void onPlugLink(rt::Value flag);
    virtual void sendData(std::string text);

    rt::Value onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) override;
    void onDestroy() override;
    void closeExeGame() override;
    void gameAlert(std::optional<std::string> message) override;
    void setShow(bool flag) override;

private:
    void receiveRoom(const rt::Value& room);
};

}  // namespace lobby
