#include "lobby/games/pexmor_fish_game_window.h"

#include "lobby/bindings/cef/cef_app.h"
#include "lobby/games/game_page.h"
#include "lobby/games/plug_packets.h"
#include "lobby/games/plug_window_steps.h"
#include "runtime/class_builder.h"
#include "runtime/trace.h"

namespace lobby {

using games::argAt;

namespace {

// The game whose window closes itself when its game ends.
constexpr int32_t kSelfClosingGameId = 1078;

}  // namespace

void PexmorFishGameWindow::initStatics() {
    games::bindPexmorPlug<PexmorFishGameWindow>();
}

void PexmorFishGameWindow::construct(rt::Value info, rt::Value room, bool fixSeat, rt::Value page) {
    RT_TRACE("PexmorFishGameWindow");
    GameWindow::construct(info, room, fixSeat, page);
    process_exist = false;
    process_ready = false;
    buy_unit = 0;
    unit_money = games::intField(gameRoom, "unit_money");
    into_money = 0;
    sceneId = 0;
    cannonType = 0;
    room_type = 0;
    myUid = -1;
    myChairId = -2;
    windowMode = games::intField(gameInfo, "wmode");
    games::enterAppFolder();
    games::createPlug(*this);
}

rt::Value PexmorFishGameWindow::onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) {
    if (name == "onSelfSitDown") {
        onSelfSitDown(argAt(args, 0), argAt(args, 1).toInt(), argAt(args, 2).toInt(),
                      argAt(args, 3).toInt());
    } else if (name == "onUserEnter") {
        onUserEnter(argAt(args, 0), argAt(args, 1), argAt(args, 2));
    } else if (name == "onUserLeave") {
        onUserLeave(argAt(args, 0), argAt(args, 1), argAt(args, 2));
    } else if (name == "RoomInfo") {
        if (!process_ready) {
            msg_room_arr->push(argAt(args, 0));
        } else if (!gamePlug.isNull()) {
            plug_setroom(gamePlug, argAt(args, 0));
        }
    } else if (name == "onSocket") {
        sendData(argAt(args, 0).toString());
    } else {
        return GameWindow::onJsCallBack(name, args);
    }
    return {};
}

bool PexmorFishGameWindow::startApplies() const {
    return !gamePlug.isNull() && !process_exist;
}

void PexmorFishGameWindow::launch() {
    ClearPacket();
    plug_link(gamePlug, games::textField(gameInfo, "app") + ".exe", room_type);
}

void PexmorFishGameWindow::onSelfSitDown(rt::Value, int32_t chairId, int32_t uid,
                                         int32_t roomType) {
    myChairId = chairId;
    myUid = uid;
    room_type = roomType;
    if (startApplies()) {
        launch();
        process_exist = true;
        process_ready = false;
        sendRoomInfo();
    }
    minimizeLobby();
}

void PexmorFishGameWindow::setShow(bool flag) {
    RT_TRACE(flag ? "setShow:true" : "setShow:false");
    if (!flag || !startApplies()) return;
    launch();
    games::callPage(*this, "setMsgLoop", {true});
    process_exist = true;
    process_ready = false;
    sendRoomInfo();
}

void PexmorFishGameWindow::onUserLeave(rt::Value, rt::Value, rt::Value) {}

void PexmorFishGameWindow::sendUserItem(rt::Value userId, rt::Value name, rt::Value gameId,
                                        rt::Value tableId, rt::Value chairId, rt::Value status,
                                        rt::Value score) {
    if (gamePlug.isNull()) return;
    const rt::Value user =
        games::userInfoRecord(userId, name, gameId, tableId, chairId, status, score);
    if (process_ready) {
        plug_setuser(gamePlug, user);
    } else {
        msg_user_arr->push(user);
    }
}

void PexmorFishGameWindow::onUserEnter(rt::Value user, rt::Value tableId, rt::Value chairId) {
    const rt::Value uid = games::fieldOf(user, "uid");
    const rt::Value money = games::fieldOf(user, "into_moneys");
    sendUserItem(uid.toInt(), games::fieldOf(user, "nickname"),
                 games::intField(gameRoom, "room_id"), tableId, chairId, 5, money);
    if (uid.toInt() == myUid) into_money = games::numberOf(money);
}

void PexmorFishGameWindow::sendData(std::string text) {
    if (gamePlug.isNull()) return;
    if (process_ready) {
        plug_send(gamePlug, text, isFixSeat);
    } else {
        msg_packet_arr->push(text);
    }
}

void PexmorFishGameWindow::sendRoomInfo() {
    if (!gamePlug.isNull()) games::callPage(*this, "getPlugRoomInfo", {});
}

void PexmorFishGameWindow::ClearPacket() {
    msg_packet_arr->items().clear();
    msg_user_arr->items().clear();
    msg_room_arr->items().clear();
}

void PexmorFishGameWindow::SendPacket() {
    if (gamePlug.isNull()) return;
    for (const rt::Value& user : msg_user_arr->items()) plug_setuser(gamePlug, user);
    for (const rt::Value& room : msg_room_arr->items()) plug_setroom(gamePlug, room);
    for (const rt::Value& text : msg_packet_arr->items()) plug_send(gamePlug, text, true);
}

void PexmorFishGameWindow::onPlugLink(rt::Value) {
    RT_TRACE("plug link");
    process_ready = true;
    SendPacket();
    ClearPacket();
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

void PexmorFishGameWindow::destroyPlug() {
    if (gamePlug.isNull()) return;
    const rt::Value plug = gamePlug;
    gamePlug = rt::Value();
    into_money = 0;
    myChairId = -2;
    cannonType = 0;
    sceneId = 0;
    myUid = -1;
    process_exist = false;
    process_ready = false;
    plug_destroy(plug);
}

void PexmorFishGameWindow::onDestroy() {
    destroyPlug();
    GameWindow::onDestroy();
}

bool PexmorFishGameWindow::onClose() {
    return !isFixSeat;
}

void PexmorFishGameWindow::closeExeGame() {
    if (!gamePlug.isNull()) plug_closegame(gamePlug);
}

void PexmorFishGameWindow::gameAlert(std::optional<std::string> message) {
    RT_TRACE(games::ansiText(message));
    if (games::isTracedOnlyAlert(message)) return;
    if (isFixSeat) {
        alertLobby(message);
    } else {
        sendData(games::alertPacketText(message));
    }
    if (!gamePlug.isNull()) games::enterAppFolder();
}

void PexmorFishGameWindow::hotkeyShow(bool) {}

void PexmorFishGameWindow::onMessage(rt::Value) {}

const rt::ClassInfo& PexmorFishGameWindow::staticClassInfo() {
    using W = PexmorFishGameWindow;
    static const rt::ClassInfo& info = rt::ClassBuilder<W>("PexmorFishGameWindow")
                                           .extends<GameWindow>()
                                           .field("process_exist", &W::process_exist)
                                           .field("process_ready", &W::process_ready)
                                           .field("buy_unit", &W::buy_unit)
                                           .field("unit_money", &W::unit_money)
                                           .field("into_money", &W::into_money)
                                           .field("sceneId", &W::sceneId)
                                           .field("cannonType", &W::cannonType)
                                           .field("room_type", &W::room_type)
                                           .field("myUid", &W::myUid)
                                           .field("myChairId", &W::myChairId)
                                           .field("gamePlug", &W::gamePlug)
                                           .staticField("msg_packet_arr", &W::msg_packet_arr)
                                           .staticField("msg_user_arr", &W::msg_user_arr)
                                           .staticField("msg_room_arr", &W::msg_room_arr)
                                           .staticField("plug_create", &W::plug_create)
                                           .staticField("plug_link", &W::plug_link)
                                           .staticField("plug_destroy", &W::plug_destroy)
                                           .staticField("plug_send", &W::plug_send)
                                           .staticField("plug_closegame", &W::plug_closegame)
                                           .staticField("plug_setuser", &W::plug_setuser)
                                           .staticField("plug_setroom", &W::plug_setroom)
                                           .method("destroyPlug", &W::destroyPlug)
                                           .method("onGameClose", &W::onGameClose)
                                           .method("sendRoomInfo", &W::sendRoomInfo)
                                           .method("onPlugMsg", &W::onPlugMsg)
                                           .method("ClearPacket", &W::ClearPacket)
                                           .method("SendPacket", &W::SendPacket)
                                           .method("onPlugLink", &W::onPlugLink)
                                           .method("onSelfSitDown", &W::onSelfSitDown)
                                           .method("onUserLeave", &W::onUserLeave)
                                           .method("sendUserItem", &W::sendUserItem)
                                           .method("onUserEnter", &W::onUserEnter)
                                           .method("sendData", &W::sendData)
                                           .constructor(&W::construct)
                                           .build();
    return info;
}

RT_REGISTER_CLASS(PexmorFishGameWindow);

}  // namespace lobby
