#include "lobby/games/plug_game_window.h"

#include "lobby/bindings/cef/cef_app.h"
#include "lobby/games/game_page.h"
#include "lobby/games/plug_packets.h"
#include "lobby/games/plug_window_steps.h"
#include "runtime/class_builder.h"
#include "runtime/trace.h"

namespace lobby {

using games::argAt;

void PlugGameWindow::initStatics() {
    const std::string lib = "Sondrel";
    games::bindSharedPlugPrimitives<PlugGameWindow>(lib);
}

void PlugGameWindow::construct(rt::Value info, rt::Value room, bool fixSeat) {
    GameWindow::construct(info, room, fixSeat, "/gameplug.html");
    games::startPlugWindow(*this);
}

rt::Value PlugGameWindow::onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) {
    if (name == "onSelfSitDown") {
        onSelfSitDown(argAt(args, 0), argAt(args, 1).toInt(), argAt(args, 2).toInt());
    } else if (name == "onUserLeave") {
        onUserLeave(argAt(args, 0), argAt(args, 1), argAt(args, 2));
    } else if (name == "RoomInfo") {
        if (!gamePlug.isNull()) plug_setroom(gamePlug, argAt(args, 0));
    } else if (name == "onUserEnter") {
        onUserEnter(argAt(args, 0), argAt(args, 1), argAt(args, 2));
    } else if (name == "onSocket") {
        const std::string text = argAt(args, 0).toString();
        RT_TRACE(text);
        sendData(text);
    } else {
        return GameWindow::onJsCallBack(name, args);
    }
    return {};
}

void PlugGameWindow::onSelfSitDown(rt::Value, int32_t chairId, int32_t uid) {
    games::linkOnSitDown(*this, chairId, uid);
    minimizeLobby();
}

void PlugGameWindow::onUserLeave(rt::Value, rt::Value, rt::Value) {}

void PlugGameWindow::sendUserItem(rt::Value userId, rt::Value name, rt::Value gameId,
                                  rt::Value tableId, rt::Value chairId, rt::Value status,
                                  rt::Value score) {
    if (gamePlug.isNull()) return;
    plug_setuser(gamePlug,
                 games::userInfoRecord(userId, name, gameId, tableId, chairId, status, score));
}

void PlugGameWindow::onUserEnter(rt::Value user, rt::Value tableId, rt::Value chairId) {
    const rt::Value uid = games::fieldOf(user, "uid");
    const rt::Value money = games::fieldOf(user, "into_moneys");
    sendUserItem(uid, games::fieldOf(user, "nickname"), games::intField(gameRoom, "room_id"),
                 tableId, chairId, 5, money);
    if (uid.toInt() == myUid) into_money = games::numberOf(money);
}

void PlugGameWindow::sendData(std::string text) {
    if (!gamePlug.isNull()) plug_send(gamePlug, text);
}

void PlugGameWindow::sendRoomInfo() {
    if (!gamePlug.isNull()) games::callPage(*this, "getPlugRoomInfo", {});
}

void PlugGameWindow::onPlugLink(rt::Value) {
    RT_TRACE("plug link");
}

void PlugGameWindow::onPlugMsg(std::optional<std::string> text) {
    const rt::Value packet = games::pagePacketOf(text.value_or(""));
    if (packet.isNull()) return;
    const rt::Value tag = games::fieldOf(packet, "tag");
    if (!tag.isNull() && tag.toString() == "ready") sendRoomInfo();
    games::callPage(*this, "sendDataToServer", {packet});
}

void PlugGameWindow::onGameClose(rt::Value) {
    if (cef::CefApp::isQuit) return;
    games::callPage(*this, "onGameClose", {});
    restoreLobby();
}

void PlugGameWindow::destroyPlug() {
    games::destroyPlugOf(*this);
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
    if (games::isConnectionAlert(message) && !gamePlug.isNull()) games::enterAppFolder();
}

void PlugGameWindow::hotkeyShow(bool) {}

void PlugGameWindow::onMessage(rt::Value) {}

void PlugGameWindow::setShow(bool) {}

const rt::ClassInfo& PlugGameWindow::staticClassInfo() {
    using W = PlugGameWindow;
    static const rt::ClassInfo& info = rt::ClassBuilder<W>("PlugGameWindow")
                                           .extends<GameWindow>()
                                           .field("buy_unit", &W::buy_unit)
                                           .field("unit_money", &W::unit_money)
                                           .field("into_money", &W::into_money)
                                           .field("sceneId", &W::sceneId)
                                           .field("cannonType", &W::cannonType)
                                           .field("myUid", &W::myUid)
                                           .field("myChairId", &W::myChairId)
                                           .field("gamePlug", &W::gamePlug)
                                           .staticField("plug_create", &W::plug_create)
                                           .staticField("plug_link", &W::plug_link)
                                           .staticField("plug_destroy", &W::plug_destroy)
                                           .staticField("plug_send", &W::plug_send)
                                           .staticField("plug_setuser", &W::plug_setuser)
                                           .staticField("plug_setroom", &W::plug_setroom)
                                           .method("destroyPlug", &W::destroyPlug)
                                           .method("onGameClose", &W::onGameClose)
                                           .method("sendRoomInfo", &W::sendRoomInfo)
                                           .method("onPlugMsg", &W::onPlugMsg)
                                           .method("onPlugLink", &W::onPlugLink)
                                           .method("onSelfSitDown", &W::onSelfSitDown)
                                           .method("sendUserItem", &W::sendUserItem)
                                           .method("onUserLeave", &W::onUserLeave)
                                           .method("onUserEnter", &W::onUserEnter)
                                           .method("sendData", &W::sendData)
                                           .constructor(&W::construct)
                                           .build();
    return info;
}

RT_REGISTER_CLASS(PlugGameWindow);

}  // namespace lobby
