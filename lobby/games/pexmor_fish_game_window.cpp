#include "lobby/games/pexmor_fish_game_window.h"

#include "lobby/bindings/cef/cef_app.h"
#include "lobby/games/game_page.h"
#include "lobby/games/plug_packets.h"
#include "runtime/class_builder.h"
#include "runtime/trace.h"

namespace lobby {

namespace {

// The game whose window closes itself when its game ends.
constexpr int32_t kSelfClosingGameId = 1078;

}  // namespace

void PexmorFishGameWindow::initStatics() {
    plugLibrary.bindPexmorPlug();
}

void PexmorFishGameWindow::construct(rt::Value info, rt::Value room, bool fixSeat, rt::Value page) {
    RT_TRACE("PexmorFishGameWindow");
    GameWindow::construct(info, room, fixSeat, page);
    windowMode = games::intField(gameInfo, "wmode");
    openSession(gameRoom, rt::Value(rt::Ref<PexmorFishGameWindow>(this)));
}

rt::Value PexmorFishGameWindow::onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) {
    if (name == "onSelfSitDown") {
        onSelfSitDown(arg(args, 0), arg(args, 1).toInt(), arg(args, 2).toInt(),
                      arg(args, 3).toInt());
    } else if (name == "onUserEnter") {
        onUserEnter(arg(args, 0), arg(args, 1), arg(args, 2));
    } else if (name == "onUserLeave") {
        onUserLeave(arg(args, 0), arg(args, 1), arg(args, 2));
    } else if (name == "RoomInfo") {
        sendRoom(arg(args, 0));
    } else if (name == "onSocket") {
        sendData(arg(args, 0).toString());
    } else {
        return GameWindow::onJsCallBack(name, args);
    }
    return {};
}

void PexmorFishGameWindow::onSelfSitDown(rt::Value, int32_t chairId, int32_t uid,
                                         int32_t roomType) {
    takeSeat(chairId, uid);
    room_type = roomType;
    if (canStart()) {
        startGame(gameProgram(), room_type);
        sendRoomInfo();
    }
    minimizeLobby();
}

// Replaces the base's setShow: the native window is neither shown nor hidden and pervVisible
// stays; setShow(true) starts the game (room type 0 before any sit-down) and turns the page's
// message loop on.
void PexmorFishGameWindow::setShow(bool flag) {
    RT_TRACE(flag ? "setShow:true" : "setShow:false");
    if (!flag || !canStart()) return;
    startGame(gameProgram(), room_type);
    games::callPage(*this, "setMsgLoop", {true});
    sendRoomInfo();
}

void PexmorFishGameWindow::onUserLeave(rt::Value, rt::Value, rt::Value) {}

void PexmorFishGameWindow::sendUserItem(rt::Value userId, rt::Value name, rt::Value gameId,
                                        rt::Value tableId, rt::Value chairId, rt::Value status,
                                        rt::Value score) {
    sendUser(games::userInfoRecord(userId, name, gameId, tableId, chairId, status, score));
}

void PexmorFishGameWindow::onUserEnter(rt::Value user, rt::Value tableId, rt::Value chairId) {
    sendUserItem(games::fieldOf(user, "uid").toInt(), games::fieldOf(user, "nickname"),
                 games::intField(gameRoom, "room_id"), tableId, chairId, 5,
                 games::fieldOf(user, "into_moneys"));
    takeOwnMoney(user);
}

// A fixed-seat window's texts go at once, any other window's through the plug-in's batch.
void PexmorFishGameWindow::sendData(std::string text) {
    sendText(text, isFixSeat);
}

void PexmorFishGameWindow::sendRoomInfo() {
    if (hasPlug()) games::callPage(*this, "getPlugRoomInfo", {});
}

void PexmorFishGameWindow::ClearPacket() {
    clearHeld();
}

void PexmorFishGameWindow::SendPacket() {
    replayHeld();
}

void PexmorFishGameWindow::onPlugLink(rt::Value) {
    RT_TRACE("plug link");
    gameLinked();
}

void PexmorFishGameWindow::onPlugMsg(std::optional<std::string> text) {
    RT_TRACE("SendMsg----->:" + text.value_or("null"));
    const rt::Value packet = games::pagePacketOf(text.value_or(""));
    if (!packet.isNull()) games::callPage(*this, "sendDataToServer", {packet});
}

void PexmorFishGameWindow::onGameClose(rt::Value) {
    RT_TRACE("onGameClose");
    process_exist = false;
    if (cef::CefApp::isQuit) return;
    games::callPage(*this, "onGameClose", {});
    restoreLobby();
    if (games::intField(gameInfo, "id") == kSelfClosingGameId) {
        games::afterCallback(*this, [](cef::CefWindow& window) { window.close(); });
    }
}

// Unlike the match window's, the destroy also forgets that the game had linked.
void PexmorFishGameWindow::destroyPlug() {
    if (!hasPlug()) return;
    process_ready = false;
    freePlug();
}

void PexmorFishGameWindow::onDestroy() {
    destroyPlug();
    GameWindow::onDestroy();
}

bool PexmorFishGameWindow::onClose() {
    return !isFixSeat;
}

void PexmorFishGameWindow::closeExeGame() {
    if (hasPlug()) plugLibrary.plug_closegame(gamePlug);
}

void PexmorFishGameWindow::gameAlert(std::optional<std::string> message) {
    RT_TRACE(games::ansiText(message));
    if (games::isTracedOnlyAlert(message)) return;
    if (isFixSeat) {
        alertLobby(message);
    } else {
        sendData(games::alertPacketText(message));
    }
    reenterAppFolder();
}

void PexmorFishGameWindow::hotkeyShow(bool) {}

void PexmorFishGameWindow::onMessage(rt::Value) {}

const rt::ClassInfo& PexmorFishGameWindow::staticClassInfo() {
    using W = PexmorFishGameWindow;
    return describeSubclass<W>("PexmorFishGameWindow", [](rt::ClassBuilder<W>& builder) {
        addFields(builder,
                  {"process_exist", "process_ready", "buy_unit", "unit_money", "into_money",
                   "sceneId", "cannonType", "room_type", "myUid", "myChairId", "gamePlug"});
        plugLibrary.addPexmorStatics(builder);
        addOperations(builder);
        builder.methods(RT_NAMED(W, destroyPlug, ClearPacket, SendPacket, onSelfSitDown,
                                 onUserLeave, sendUserItem, onUserEnter));
    });
}

RT_REGISTER_CLASS(PexmorFishGameWindow);

}  // namespace lobby
