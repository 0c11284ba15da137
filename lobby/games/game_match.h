#pragma once

#include <optional>
#include <string>

#include "lobby/games/game_window.h"
#include "lobby/games/plug_session.h"

namespace lobby {

// The window of window mode 7, a match game: the game is a native process started and linked
// through the PexmorPlug plug-in; the page relays between it and the lobby page. Texts and room
// records for the game wait in the class's queues until the game has linked. By name, the
// session gives the window process_exist, process_ready and gamePlug.
class GameMatch : public GameWindow, public games::PlugSession {
    RT_CLASS(GameMatch)
public:
    // The primitives and the queues; msg_user_arr is made empty, this class neither fills nor
    // replays it.
    static inline games::PlugLibrary plugLibrary;

    // Makes the queues and binds the primitives from "PexmorPlug".
    static void initStatics();

    GameMatch() : PlugSession(plugLibrary, Held::RoomsAndTexts) {}

    void construct(rt::Value gameInfo, rt::Value gameRoom, bool isFixSeat,
                   rt::Value page = "/gamematch.html");

    virtual void ClearPacket();
    virtual void SendPacket();

    // The session's operations.
    void onGameClose(rt::Value code) override;
    void onPlugMsg(std::optional<std::string> text) override;
    void onPlugLink(rt::Value flag) override;
    void sendRoomInfo() override;
    void sendData(std::string text) override;

    rt::Value onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) override;
    void onDestroy() override;
    void closeExeGame() override;
    void gameAlert(std::optional<std::string> message) override;
    void setShow(bool flag) override;
};

}  // namespace lobby
