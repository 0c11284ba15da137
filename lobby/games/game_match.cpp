#include "lobby/games/game_match.h"

#include "lobby/app/main.h"
#include "lobby/bindings/cef/cef_app.h"
#include "lobby/games/game_page.h"
#include "lobby/games/plug_packets.h"
#include "runtime/class_builder.h"
#include "runtime/trace.h"

namespace lobby {

void GameMatch::initStatics() {
    plugLibrary.bindPexmorPlug();
}

void GameMatch::construct(rt::Value info, rt::Value room, bool fixSeat, rt::Value page) {
    RT_TRACE("GameMatch");
    GameWindow::construct(info, room, fixSeat, page.isNull() ? rt::Value("/gamematch.html") : page);
    createPlug(rt::Value(rt::Ref<GameMatch>(this)));
}

rt::Value GameMatch::onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) {
    if (name == "onSocket") {
        sendData(arg(args, 0).toString());
    } else if (name == "RoomInfo") {
        sendRoom(arg(args, 0));
    } else {
        return GameWindow::onJsCallBack(name, args);
    }
    return {};
}

void GameMatch::onGameClose(rt::Value) {
    process_exist = false;
    games::afterCallback(*this, [](cef::CefWindow& window) { window.destroy(); });
}

void GameMatch::ClearPacket() {
    clearHeld();
}

void GameMatch::SendPacket() {
    replayHeld();
}

// Asked also without a plug-in handle: this class starts no game without one.
void GameMatch::sendRoomInfo() {
    games::callPage(*this, "getPlugRoomInfo", {});
}

void GameMatch::onPlugMsg(std::optional<std::string> text) {
    RT_TRACE("SendMsg----->:" + text.value_or("null"));
    const rt::Value packet = games::pagePacketOf(text.value_or(""));
    if (!packet.isNull()) games::callPage(*this, "sendDataToServer", {packet});
}

void GameMatch::onPlugLink(rt::Value) {
    RT_TRACE("plug link");
    gameLinked();
}

void GameMatch::sendData(std::string text) {
    RT_TRACE("recivemsg<-----" + text);
    sendText(text, true);
}

void GameMatch::closeExeGame() {
    if (hasPlug()) plugLibrary.plug_closegame(gamePlug);
}

// The window leaves the registry before its plug-in instance is freed; process_ready stays, so
// a late room finds no handle and is dropped.
void GameMatch::onDestroy() {
    if (!cef::CefApp::isQuit) Main::closeGame(rt::Ref<GameWindow>(this));
    freePlug();
}

void GameMatch::gameAlert(std::optional<std::string> message) {
    RT_TRACE(games::ansiText(message));
    if (games::isTracedOnlyAlert(message)) return;
    if (isFixSeat) {
        alertLobby(message);
    } else {
        sendData(games::alertPacketText(message));
    }
}

// Replaces the base's setShow: the native window is neither shown nor hidden and pervVisible
// stays; the first setShow(true) with a handle starts the game.
void GameMatch::setShow(bool flag) {
    RT_TRACE(flag ? "setShow:true" : "setShow:false");
    if (!flag || !canStart()) return;
    startGame(gameProgram(), games::fieldOf(gameRoom, "room_type"));
    sendRoomInfo();
}

const rt::ClassInfo& GameMatch::staticClassInfo() {
    using W = GameMatch;
    return describeSubclass<W>("GameMatch", [](rt::ClassBuilder<W>& builder) {
        addFields(builder, {"process_exist", "process_ready", "gamePlug"});
        plugLibrary.addPexmorStatics(builder);
        addOperations(builder);
        builder.method("ClearPacket", &W::ClearPacket).method("SendPacket", &W::SendPacket);
    });
}

RT_REGISTER_CLASS(GameMatch);

}  // namespace lobby
