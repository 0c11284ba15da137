#pragma once

#include <string>

#include "lobby/games/game_window.h"

namespace lobby {

// The window of window mode 4: a game that lives entirely in a web page. The room id's parity
// picks the page; the server operations of the base class do nothing here.
class HtmlGameWindow : public GameWindow {
    RT_CLASS(HtmlGameWindow)
public:
    std::string myUid;

    void construct(rt::Value gameInfo, rt::Value gameRoom, bool isFixSeat, std::string myUid = "");

    rt::Value onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) override;
    bool onClose() override;
    void socketConnect(bool flag) override;
    void sendDataToServer(rt::Value data) override;
    void startConnServer() override;
};

}  // namespace lobby
