#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "lobby/games/game_window.h"
#include "lobby/games/plug_session.h"

namespace lobby {

// What the windows of the two plug-ins that link on every sit-down (Sondrel's PlugGameWindow,
// RavoPlug's FishGameWindow) do alike: the sit-down links the game, user records and texts go to
// the plug-in as they come (nothing is held back), the game's "ready" text asks the page for the
// room record, and its end restores the lobby.
class LinkedPlugWindow : public GameWindow, public games::PlugSession {
public:
    virtual void destroyPlug();
    virtual void onSelfSitDown(rt::Value a, int32_t chairId, int32_t uid);
    virtual void sendUserItem(rt::Value userId, rt::Value name, rt::Value gameId, rt::Value tableId,
                              rt::Value chairId, rt::Value status, rt::Value score);
    virtual void onUserLeave(rt::Value userId, rt::Value tableId, rt::Value chairId) = 0;
    virtual void onUserEnter(rt::Value user, rt::Value tableId, rt::Value chairId) = 0;

    // The session's operations.
    void onGameClose(rt::Value code) override;
    void onPlugMsg(std::optional<std::string> text) override;
    void onPlugLink(rt::Value flag) override;
    void sendRoomInfo() override;
    void sendData(std::string text) override;

    // The page's sit-down, user, room and socket calls.
    rt::Value onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) override;
    void onDestroy() override;
    bool onClose() override;
    void gameAlert(std::optional<std::string> message) override;
    void hotkeyShow(bool flag) override;
    void onMessage(rt::Value data) override;
    void setShow(bool flag) override;

    // Names what every linked window W has by name: the seat and gamePlug as fields, its
    // library's six primitives as statics, the session's operations and the five above.
    template <class W>
    static void addLinkedMembers(rt::ClassBuilder<W>& builder) {
        addFields(builder, {"buy_unit", "unit_money", "into_money", "sceneId", "cannonType",
                            "myUid", "myChairId", "gamePlug"});
        W::plugLibrary.addSharedStatics(builder);
        addOperations(builder);
        builder.methods(
            RT_NAMED(W, destroyPlug, onSelfSitDown, sendUserItem, onUserLeave, onUserEnter));
    }

protected:
    explicit LinkedPlugWindow(games::PlugLibrary& library) : PlugSession(library, Held::Nothing) {}

    // The window's construction steps with its page: the game's window mode, and the session
    // with this window as the object the plug-in calls back.
    void openWindow(rt::Value info, rt::Value room, bool fixSeat, const char* page);
    // What the game's "ready" text sets off before the text reaches the page: the room record.
    virtual void onGameReady();
};

}  // namespace lobby
