#pragma once

#include <string>

#include "lobby/games/game_window.h"

namespace lobby {

// The window of window mode 2: a game for the Unity Web Player on its own page. It sizes and
// places itself for the screen, keeps a rounded region and reports leaving the game on close.
class UnityGameWindow : public GameWindow {
    RT_CLASS(UnityGameWindow)
public:
    void construct(rt::Value gameInfo, rt::Value gameRoom, bool isFixSeat, rt::Value deskNo = 0,
                   rt::Value seatNo = 0, std::string uid = "");

    virtual void sendGameDataToServer(rt::Value data);

    rt::Value onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) override;
    bool onSize() override;
    bool onClose() override;
    void onCreate() override;
};

}  // namespace lobby
