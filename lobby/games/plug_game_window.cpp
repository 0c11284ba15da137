#include "lobby/games/plug_game_window.h"

#include "lobby/bindings/cef/cef_app.h"
#include "lobby/games/game_page.h"
#include "lobby/games/plug_packets.h"
#include "runtime/class_builder.h"
#include "runtime/trace.h"

namespace lobby {

void PlugGameWindow::initStatics() {
    plugLibrary.bindShared("Sondrel");
}

void PlugGameWindow::construct(rt::Value info, rt::Value room, bool fixSeat) {
    GameWindow::construct(info, room, fixSeat, "/gameplug.html");
    windowMode = games::intField(gameInfo, "wmode");
    openSession(gameRoom, rt::Value(rt::Ref<PlugGameWindow>(this)));
}

rt::Value PlugGameWindow::onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) {
    if (name == "onSelfSitDown") {
        onSelfSitDown(arg(args, 0), arg(args, 1).toInt(), arg(args, 2).toInt());
    } else if (name == "onUserLeave") {
        onUserLeave(arg(args, 0), arg(args, 1), arg(args, 2));
    } else if (name == "RoomInfo") {
        sendRoom(arg(args, 0));
    } else if (name == "onUserEnter") {
        onUserEnter(arg(args, 0), arg(args, 1), arg(args, 2));
    } else if (name == "onSocket") {
        const std::string text = arg(args, 0).toString();
        RT_TRACE(text);
        sendData(text);
    } else {
        return GameWindow::onJsCallBack(name, args);
    }
    return {};
}

// Every sit-down links: the plug-in starts the game when none runs.
void PlugGameWindow::onSelfSitDown(rt::Value, int32_t chairId, int32_t uid) {
    takeSeat(chairId, uid);
    linkGame(gameProgram());
    minimizeLobby();
}

void PlugGameWindow::onUserLeave(rt::Value, rt::Value, rt::Value) {}

void PlugGameWindow::sendUserItem(rt::Value userId, rt::Value name, rt::Value gameId,
                                  rt::Value tableId, rt::Value chairId, rt::Value status,
                                  rt::Value score) {
    sendUser(games::userInfoRecord(userId, name, gameId, tableId, chairId, status, score));
}

void PlugGameWindow::onUserEnter(rt::Value user, rt::Value tableId, rt::Value chairId) {
    sendUserItem(games::fieldOf(user, "uid"), games::fieldOf(user, "nickname"),
                 games::intField(gameRoom, "room_id"), tableId, chairId, 5,
                 games::fieldOf(user, "into_moneys"));
    takeOwnMoney(user);
}

void PlugGameWindow::sendData(std::string text) {
    sendText(text);
}

void PlugGameWindow::sendRoomInfo() {
    if (hasPlug()) games::callPage(*this, "getPlugRoomInfo", {});
}

void PlugGameWindow::onPlugLink(rt::Value) {
    RT_TRACE("plug link");
}

// The game's "ready" text asks the page for the room record, which then goes to the game.
void PlugGameWindow::onPlugMsg(std::optional<std::string> text) {
    const rt::Value packet = games::pagePacketOf(text.value_or(""));
    if (packet.isNull()) return;
    if (saysReady(packet)) sendRoomInfo();
    games::callPage(*this, "sendDataToServer", {packet});
}

void PlugGameWindow::onGameClose(rt::Value) {
    if (cef::CefApp::isQuit) return;
    games::callPage(*this, "onGameClose", {});
    restoreLobby();
}

void PlugGameWindow::destroyPlug() {
    freePlug();
}

void PlugGameWindow::onDestroy() {
    destroyPlug();
    GameWindow::onDestroy();
}

bool PlugGameWindow::onClose() {
    return !isFixSeat;
}

void PlugGameWindow::gameAlert(std::optional<std::string> message) {
    alertLobby(message);
    if (games::isConnectionAlert(message)) reenterAppFolder();
}

void PlugGameWindow::hotkeyShow(bool) {}

void PlugGameWindow::onMessage(rt::Value) {}

void PlugGameWindow::setShow(bool) {}

const rt::ClassInfo& PlugGameWindow::staticClassInfo() {
    using W = PlugGameWindow;
    return describeSubclass<W>("PlugGameWindow", [](rt::ClassBuilder<W>& builder) {
        addFields(builder, {"buy_unit", "unit_money", "into_money", "sceneId", "cannonType",
                            "myUid", "myChairId", "gamePlug"});
        plugLibrary.addSharedStatics(builder);
        addOperations(builder);
        builder.method("destroyPlug", &W::destroyPlug)
            .method("onSelfSitDown", &W::onSelfSitDown)
            .method("sendUserItem", &W::sendUserItem)
            .method("onUserLeave", &W::onUserLeave)
            .method("onUserEnter", &W::onUserEnter);
    });
}

RT_REGISTER_CLASS(PlugGameWindow);

}  // namespace lobby
