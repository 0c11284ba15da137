#include "lobby/games/linked_plug_window.h"

#include "lobby/bindings/cef/cef_app.h"
#include "lobby/games/game_page.h"
#include "lobby/games/plug_packets.h"
#include "runtime/trace.h"

namespace lobby {

void LinkedPlugWindow::openWindow(rt::Value info, rt::Value room, bool fixSeat, const char* page) {
    GameWindow::construct(info, room, fixSeat, page);
    windowMode = games::intField(gameInfo, "wmode");
    openSession(gameRoom, rt::Value(rt::Ref<LinkedPlugWindow>(this)));
}

rt::Value LinkedPlugWindow::onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) {
    if (name == "onSelfSitDown") {
        onSelfSitDown(arg(args, 0), arg(args, 1).toInt(), arg(args, 2).toInt());
    } else if (name == "onUserLeave") {
        onUserLeave(arg(args, 0), arg(args, 1), arg(args, 2));
    } else if (name == "onUserEnter") {
        onUserEnter(arg(args, 0), arg(args, 1), arg(args, 2));
    } else if (name == "RoomInfo") {
        sendRoom(arg(args, 0));
    } else if (name == "onSocket") {
        sendData(arg(args, 0).toString());
    } else {
        return GameWindow::onJsCallBack(name, args);
    }
    return {};
}

// Every sit-down links: the plug-in starts the game when none runs.
void LinkedPlugWindow::onSelfSitDown(rt::Value, int32_t chairId, int32_t uid) {
    takeSeat(chairId, uid);
    linkGame(gameProgram());
    minimizeLobby();
}

void LinkedPlugWindow::sendUserItem(rt::Value userId, rt::Value name, rt::Value gameId,
                                    rt::Value tableId, rt::Value chairId, rt::Value status,
                                    rt::Value score) {
    sendUser(games::userInfoRecord(userId, name, gameId, tableId, chairId, status, score));
}

void LinkedPlugWindow::sendData(std::string text) {
    sendText(text);
}

void LinkedPlugWindow::sendRoomInfo() {
    if (hasPlug()) games::callPage(*this, "getPlugRoomInfo", {});
}

void LinkedPlugWindow::onPlugLink(rt::Value) {
    RT_TRACE("plug link");
}

void LinkedPlugWindow::onPlugMsg(std::optional<std::string> text) {
    const rt::Value packet = games::pagePacketOf(text.value_or(""));
    if (packet.isNull()) return;
    if (saysReady(packet)) onGameReady();
    games::callPage(*this, "sendDataToServer", {packet});
}

void LinkedPlugWindow::onGameReady() {
    sendRoomInfo();
}

void LinkedPlugWindow::onGameClose(rt::Value) {
    if (cef::CefApp::isQuit) return;
    games::callPage(*this, "onGameClose", {});
    restoreLobby();
}

void LinkedPlugWindow::destroyPlug() {
    freePlug();
}

void LinkedPlugWindow::onDestroy() {
    destroyPlug();
    GameWindow::onDestroy();
}

bool LinkedPlugWindow::onClose() {
    return !isFixSeat;
}

void LinkedPlugWindow::gameAlert(std::optional<std::string> message) {
    alertLobby(message);
    if (games::isConnectionAlert(message)) reenterAppFolder();
}

void LinkedPlugWindow::hotkeyShow(bool) {}

void LinkedPlugWindow::onMessage(rt::Value) {}

void LinkedPlugWindow::setShow(bool) {}

}  // namespace lobby
