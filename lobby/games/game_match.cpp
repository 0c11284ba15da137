#include "lobby/games/game_match.h"

#include "lobby/app/main.h"
#include "lobby/bindings/cef/cef_app.h"
#include "lobby/games/game_page.h"
#include "lobby/games/plug_packets.h"
#include "lobby/games/plug_window_steps.h"
#include "runtime/class_builder.h"
#include "runtime/trace.h"

namespace lobby {

using games::argAt;

void GameMatch::initStatics() {
    games::bindPexmorPlug<GameMatch>();
}

void GameMatch::construct(rt::Value info, rt::Value room, bool fixSeat, rt::Value page) {
    RT_TRACE("GameMatch");
    gamePlug = rt::Value();
    process_ready = false;
    process_exist = false;
    GameWindow::construct(info, room, fixSeat, page.isNull() ? rt::Value("/gamematch.html") : page);
    games::createPlug(*this);
}

rt::Value GameMatch::onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) {
    if (name == "onSocket") {
        sendData(argAt(args, 0).toString());
    } else if (name == "RoomInfo") {
        receiveRoom(argAt(args, 0));
    } else {
        return GameWindow::onJsCallBack(name, args);
    }
    return {};
}

void GameMatch::receiveRoom(const rt::Value& room) {
    if (!process_ready) {
        msg_room_arr->push(room);
    } else if (!gamePlug.isNull()) {
        plug_setroom(gamePlug, room);
    }
}

void GameMatch::onGameClose(rt::Value) {
    process_exist = false;
    games::afterCallback(*this, [](cef::CefWindow& window) { window.destroy(); });
}

void GameMatch::ClearPacket() {
    msg_room_arr->items().clear();
    msg_packet_arr->items().clear();
}

void GameMatch::SendPacket() {
    if (gamePlug.isNull()) return;
    for (const rt::Value& room : msg_room_arr->items()) plug_setroom(gamePlug, room);
    for (const rt::Value& text : msg_packet_arr->items()) plug_send(gamePlug, text, true);
}

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
    process_ready = true;
    SendPacket();
    ClearPacket();
}

void GameMatch::sendData(std::string text) {
    RT_TRACE("recivemsg<-----" + text);
    if (gamePlug.isNull()) return;
    if (process_ready) {
        plug_send(gamePlug, text, true);
    } else {
        msg_packet_arr->push(text);
    }
}

void GameMatch::closeExeGame() {
    if (!gamePlug.isNull()) plug_closegame(gamePlug);
}

void GameMatch::onDestroy() {
    if (!cef::CefApp::isQuit) Main::closeGame(rt::Ref<GameWindow>(this));
    if (!gamePlug.isNull()) {
        const rt::Value plug = gamePlug;
        gamePlug = rt::Value();
        process_exist = false;
        plug_destroy(plug);
    }
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

void GameMatch::setShow(bool flag) {
    RT_TRACE(flag ? "setShow:true" : "setShow:false");
    if (!flag || process_exist || gamePlug.isNull()) return;
    ClearPacket();
    plug_link(gamePlug, games::textField(gameInfo, "app") + ".exe",
              games::fieldOf(gameRoom, "room_type"));
    process_ready = false;
    process_exist = true;
    sendRoomInfo();
}

const rt::ClassInfo& GameMatch::staticClassInfo() {
    using W = GameMatch;
    static const rt::ClassInfo& info = rt::ClassBuilder<W>("GameMatch")
                                           .extends<GameWindow>()
                                           .field("process_exist", &W::process_exist)
                                           .field("process_ready", &W::process_ready)
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
                                           .method("onGameClose", &W::onGameClose)
                                           .method("ClearPacket", &W::ClearPacket)
                                           .method("SendPacket", &W::SendPacket)
                                           .method("sendRoomInfo", &W::sendRoomInfo)
                                           .method("onPlugMsg", &W::onPlugMsg)
                                           .method("onPlugLink", &W::onPlugLink)
                                           .method("sendData", &W::sendData)
                                           .constructor(&W::construct)
                                           .build();
    return info;
}

RT_REGISTER_CLASS(GameMatch);

}  // namespace lobby
