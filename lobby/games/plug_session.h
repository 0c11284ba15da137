#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "runtime/array.h"
#include "runtime/class_builder.h"
#include "runtime/primitive.h"
#include "runtime/value.h"

namespace lobby::games {

// What a plug-in window class keeps once for all its windows: the primitives it binds from its
// plug-in library and the queues in which its windows hold records and texts back until their
// game has linked. A class keeps one as a static; each member is one of the class's statics by
// name, so that a test or the page can read or replace it by that name.
class PlugLibrary {
public:
    rt::Primitive plug_create;
    rt::Primitive plug_link;
    rt::Primitive plug_destroy;
    rt::Primitive plug_send;
    rt::Primitive plug_setuser;
    rt::Primitive plug_setroom;
    // PexmorPlug only.
    rt::Primitive plug_closegame;
    // The held-back texts, users and rooms, oldest first; made by bindPexmorPlug.
    rt::Ref<rt::Array> msg_packet_arr;
    rt::Ref<rt::Array> msg_user_arr;
    rt::Ref<rt::Array> msg_room_arr;

    // Makes the queues empty and binds PexmorPlug's seven primitives; its link also takes the
    // room type and its send whether the text goes at once.
    void bindPexmorPlug();
    // Binds the six primitives Sondrel and RavoPlug both export; link and send take two values.
    void bindShared(const std::string& library);

    // Names the six shared primitives as statics of the class `builder` describes.
    template <class W>
    void addSharedStatics(rt::ClassBuilder<W>& builder) {
        builder.staticField("plug_create", &plug_create)
            .staticField("plug_link", &plug_link)
            .staticField("plug_destroy", &plug_destroy)
            .staticField("plug_send", &plug_send)
            .staticField("plug_setuser", &plug_setuser)
            .staticField("plug_setroom", &plug_setroom);
    }
    // Names PexmorPlug's seven primitives and the three queues as statics.
    template <class W>
    void addPexmorStatics(rt::ClassBuilder<W>& builder) {
        addSharedStatics(builder);
        builder.staticField("plug_closegame", &plug_closegame)
            .staticField("msg_packet_arr", &msg_packet_arr)
            .staticField("msg_user_arr", &msg_user_arr)
            .staticField("msg_room_arr", &msg_room_arr);
    }

private:
    // The six primitives every library exports; link and send take `linkAndSendArgs` values.
    void bindSix(const std::string& library, int linkAndSendArgs);
};

// One plug-in game window's session with its plug-in instance: the handle, the player's seat,
// the start and link of the game, and the records and texts held back until the link. The
// window derives from it beside GameWindow, so that its state is the window's own by-name
// fields (each window names those it has, in its own order, through addFields); the
// primitives are those of the window class's PlugLibrary.
class PlugSession {
public:
    // What the session holds back until the game has linked; anything else goes to the plug-in
    // as it comes (the plug-in drops it while no game is linked).
    enum class Held { Nothing, RoomsAndTexts, UsersRoomsAndTexts };

    PlugSession(PlugLibrary& library, Held held) : library_(library), held_(held) {}
    PlugSession(const PlugSession&) = delete;
    PlugSession& operator=(const PlugSession&) = delete;

    // The plug-in instance; null when the library made none or once it is freed.
    rt::Value gamePlug;
    // The game was started by this session; it has linked.
    bool process_exist = false;
    bool process_ready = false;
    // The seat: the room's unit, the own player's carried money, id and chair, the room type of
    // the sit-down, and values only the page reads and writes.
    int32_t buy_unit = 0;
    int32_t unit_money = 0;
    double into_money = 0;
    int32_t sceneId = 0;
    int32_t cannonType = 0;
    int32_t room_type = 0;
    int32_t myUid = -1;
    int32_t myChairId = -2;

    // Names the session fields `names` as instance fields of the class `builder` describes, in
    // that order.
    template <class W>
    static void addFields(rt::ClassBuilder<W>& builder,
                          std::initializer_list<std::string_view> names) {
        for (std::string_view name : names) {
            std::visit([&](auto member) { builder.field(std::string(name), member); },
                       fieldNamed(name));
        }
    }

    // What the plug-in and the page reach by name on every plug-in window: the plug-in's three
    // callbacks (made on the UI thread, from the plug-in's message handling), the page's room
    // request and the texts for the game.
    virtual void onGameClose(rt::Value code) = 0;
    virtual void onPlugMsg(std::optional<std::string> text) = 0;
    virtual void onPlugLink(rt::Value flag) = 0;
    virtual void sendRoomInfo() = 0;
    virtual void sendData(std::string text) = 0;
    // Names those five as operations of the class `builder` describes.
    template <class W>
    static void addOperations(rt::ClassBuilder<W>& builder) {
        builder.methods(
            RT_NAMED(PlugSession, onGameClose, onPlugMsg, onPlugLink, sendRoomInfo, sendData));
    }

    bool hasPlug() const { return !gamePlug.isNull(); }
    // The seat from the room, the lobby's folder as working folder (the game programs lie
    // there), and the plug-in instance with `handler`, the window, as the object it calls back.
    void openSession(const rt::Value& gameRoom, const rt::Value& handler);
    // The plug-in instance alone; the trace "plug create error!" when the library makes none.
    void createPlug(const rt::Value& handler);
    // Frees the plug-in instance, when there is one: the handle is cleared first, so that a
    // callback made while the plug-in ends finds none; the game no longer exists and the seat is
    // cleared. `process_ready` stays as it was.
    void freePlug();

    // The player's chair and user id from a sit-down.
    void takeSeat(int32_t chairId, int32_t uid);
    // The player's state back to "not seated".
    void clearSeat();
    // When `user` is the own player, its "into_moneys" as the carried money; answers whether.
    bool takeOwnMoney(const rt::Value& user);
    // With a handle, enters the lobby's folder again (after an alert that may end the game).
    void reenterAppFolder() const;

    // A PexmorPlug game can start: there is a handle and no game was started.
    bool canStart() const { return hasPlug() && !process_exist; }
    // Starts the PexmorPlug game `program` with `roomType` on its command line; what was held
    // for an earlier start is dropped and the session holds back again until the link.
    void startGame(const std::string& program, const rt::Value& roomType);
    // Starts or links again the Sondrel or RavoPlug game `program`, with a handle.
    void linkGame(const std::string& program);
    // The game has linked: what was held goes to it, users first, then rooms, then texts, each
    // in arrival order, and the queues are emptied.
    void gameLinked();

    // A text for the game through the two-value send of Sondrel and RavoPlug, with a handle.
    void sendText(const std::string& text);
    // A text for the game through PexmorPlug's send, at once or through its batch; held back
    // until the link. Dropped without a handle.
    void sendText(const std::string& text, bool immediate);
    // A user record; held back until the link where the session holds users. Dropped without a
    // handle.
    void sendUser(const rt::Value& user);
    // A room record; held back until the link where the session holds rooms. Not held, it goes
    // to the plug-in only with a handle.
    void sendRoom(const rt::Value& room);
    // Empties the queues of what the session holds.
    void clearHeld();
    // Hands what is held to the plug-in, in the order of gameLinked, with a handle.
    void replayHeld();

    // Whether a game's page packet is its "ready" text: its tag is the text "ready".
    static bool saysReady(const rt::Value& packet);

protected:
    ~PlugSession() = default;

private:
    using Field = std::variant<bool PlugSession::*, int32_t PlugSession::*, double PlugSession::*,
                               rt::Value PlugSession::*>;
    // The member behind a by-name field; an unknown name raises.
    static Field fieldNamed(std::string_view name);

    // Whether a room or text, a user record would be held back now.
    bool holdingRoomsAndTexts() const { return held_ != Held::Nothing && !process_ready; }
    bool holdingUsers() const { return held_ == Held::UsersRoomsAndTexts && !process_ready; }

    PlugLibrary& library_;
    Held held_;
};

}  // namespace lobby::games
