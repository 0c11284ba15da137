#include "lobby/games/plug_session.h"

#include <utility>
#include <vector>

#include "lobby/bindings/primitive_binder.h"
#include "lobby/games/game_page.h"
#include "runtime/exception.h"
#include "runtime/trace.h"

namespace lobby::games {

void PlugLibrary::bindPexmorPlug() {
    msg_packet_arr = rt::make<rt::Array>();
    msg_user_arr = rt::make<rt::Array>();
    msg_room_arr = rt::make<rt::Array>();
    bindSix("PexmorPlug", 3);
    plug_closegame = bindings::bindPrimitive("PexmorPlug", "plug_closegame", 1);
}

void PlugLibrary::bindShared(const std::string& library) {
    bindSix(library, 2);
}

void PlugLibrary::bindSix(const std::string& library, int linkAndSendArgs) {
    plug_create = bindings::bindPrimitive(library, "plug_create", 1);
    plug_link = bindings::bindPrimitive(library, "plug_link", linkAndSendArgs);
    plug_destroy = bindings::bindPrimitive(library, "plug_destroy", 1);
    plug_send = bindings::bindPrimitive(library, "plug_send", linkAndSendArgs);
    plug_setuser = bindings::bindPrimitive(library, "plug_setuser", 2);
    plug_setroom = bindings::bindPrimitive(library, "plug_setroom", 2);
}

PlugSession::Field PlugSession::fieldNamed(std::string_view name) {
    if (name == "gamePlug") return &PlugSession::gamePlug;
    if (name == "process_exist") return &PlugSession::process_exist;
    if (name == "process_ready") return &PlugSession::process_ready;
    if (name == "buy_unit") return &PlugSession::buy_unit;
    if (name == "unit_money") return &PlugSession::unit_money;
    if (name == "into_money") return &PlugSession::into_money;
    if (name == "sceneId") return &PlugSession::sceneId;
    if (name == "cannonType") return &PlugSession::cannonType;
    if (name == "room_type") return &PlugSession::room_type;
    if (name == "myUid") return &PlugSession::myUid;
    if (name == "myChairId") return &PlugSession::myChairId;
    throw rt::Exception("a plug-in session has no field " + std::string(name));
}

void PlugSession::openSession(const rt::Value& gameRoom, const rt::Value& handler) {
    buy_unit = 0;
    unit_money = intField(gameRoom, "unit_money");
    clearSeat();
    enterAppFolder();
    createPlug(handler);
}

void PlugSession::createPlug(const rt::Value& handler) {
    gamePlug = library_.plug_create(handler);
    if (!hasPlug()) RT_TRACE("plug create error!");
}

void PlugSession::freePlug() {
    if (!hasPlug()) return;
    const rt::Value plug = std::exchange(gamePlug, rt::Value());
    process_exist = false;
    clearSeat();
    library_.plug_destroy(plug);
}

void PlugSession::takeSeat(int32_t chairId, int32_t uid) {
    myChairId = chairId;
    myUid = uid;
}

void PlugSession::clearSeat() {
    into_money = 0;
    sceneId = 0;
    cannonType = 0;
    myUid = -1;
    myChairId = -2;
}

bool PlugSession::takeOwnMoney(const rt::Value& user) {
    if (fieldOf(user, "uid").toInt() != myUid) return false;
    into_money = numberOf(fieldOf(user, "into_moneys"));
    return true;
}

void PlugSession::reenterAppFolder() const {
    if (hasPlug()) enterAppFolder();
}

void PlugSession::startGame(const std::string& program, const rt::Value& roomType) {
    clearHeld();
    library_.plug_link(gamePlug, program, roomType);
    process_ready = false;
    process_exist = true;
}

void PlugSession::linkGame(const std::string& program) {
    if (hasPlug()) library_.plug_link(gamePlug, program);
}

void PlugSession::gameLinked() {
    process_ready = true;
    replayHeld();
    clearHeld();
}

void PlugSession::sendText(const std::string& text) {
    if (hasPlug()) library_.plug_send(gamePlug, text);
}

void PlugSession::sendText(const std::string& text, bool immediate) {
    if (!hasPlug()) return;
    if (holdingRoomsAndTexts()) {
        library_.msg_packet_arr->push(text);
    } else {
        library_.plug_send(gamePlug, text, immediate);
    }
}

void PlugSession::sendUser(const rt::Value& user) {
    if (!hasPlug()) return;
    if (holdingUsers()) {
        library_.msg_user_arr->push(user);
    } else {
        library_.plug_setuser(gamePlug, user);
    }
}

void PlugSession::sendRoom(const rt::Value& room) {
    if (holdingRoomsAndTexts()) {
        library_.msg_room_arr->push(room);
    } else if (hasPlug()) {
        library_.plug_setroom(gamePlug, room);
    }
}

void PlugSession::clearHeld() {
    if (held_ == Held::Nothing) return;
    if (held_ == Held::UsersRoomsAndTexts) library_.msg_user_arr->items().clear();
    library_.msg_room_arr->items().clear();
    library_.msg_packet_arr->items().clear();
}

void PlugSession::replayHeld() {
    if (!hasPlug() || held_ == Held::Nothing) return;
    // Copies: a call into the plug-in may lead back into the window and to the queues.
    if (held_ == Held::UsersRoomsAndTexts) {
        const std::vector<rt::Value> users = library_.msg_user_arr->items();
        for (const rt::Value& user : users) library_.plug_setuser(gamePlug, user);
    }
    const std::vector<rt::Value> rooms = library_.msg_room_arr->items();
    for (const rt::Value& room : rooms) library_.plug_setroom(gamePlug, room);
    const std::vector<rt::Value> texts = library_.msg_packet_arr->items();
    for (const rt::Value& text : texts) library_.plug_send(gamePlug, text, true);
}

bool PlugSession::saysReady(const rt::Value& packet) {
    const rt::Value tag = fieldOf(packet, "tag");
    return tag.isString() && tag.str() == "ready";
}

}  // namespace lobby::games
