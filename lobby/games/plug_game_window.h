#pragma once

#include <optional>
#include <string>

#include "lobby/games/game_window.h"
#include "runtime/primitive.h"

namespace lobby {

// The window of window mode 6: a native game driven through the Sondrel plug-in. Every sit-down
// links the game; user and room records and texts go to the plug-in as they come (no queues),
// and the game's texts go back to the page.
class PlugGameWindow : public GameWindow {
    RT_CLASS(PlugGameWindow)
public:
    static inline rt::Primitive plug_create;
    static inline rt::Primitive plug_link;
    static inline rt::Primitive plug_destroy;
    static inline rt::Primitive plug_send;
    static inline rt::Primitive plug_setuser;
    static inline rt::Primitive plug_setroom;

    // Binds the primitives from "Sondrel".
    static void initStatics();

    int32_t buy_unit = 0;
    int32_t unit_money = 0;
    double into_money = 0;
    int32_t sceneId = 0;
    int32_t cannonType = 0;
    int32_t myUid = -1;
    int32_t myChairId = -2;
    rt::Value gamePlug;

    void construct(rt::Value gameInfo, rt::Value gameRoom, bool isFixSeat);

    virtual void destroyPlug();
    virtual void onGameClose(rt::Value code);
    virtual void sendRoomInfo();
    virtual void onPlugMsg(std::optional<std::string> text);
    virtual void onPlugLink(rt::Value flag);
    virtual void onSelfSitDown(rt::Value a, int32_t chairId, int32_t uid);
    virtual void sendUserItem(rt::Value userId, rt::Value name, rt::Value gameId, rt::Value tableId,
                              rt::Value chairId, rt::Value status, rt::Value score);
    virtual void onUserLeave(rt::Value userId, rt::Value tableId, rt::Value chairId);
    virtual void onUserEnter(rt::Value user, rt::Value tableId, rt::Value chairId);
    virtual void sendData(std::string text);

    rt::Value onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) override;
    void onDestroy() override;
    bool onClose() override;
    void gameAlert(std::optional<std::string> message) override;
    void hotkeyShow(bool flag) override;
    void onMessage(rt::Value data) override;
    void setShow(bool flag) override;
};

}  // namespace lobby
