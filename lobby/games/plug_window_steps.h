// Steps the plug-in game windows share. Each window class has statics and fields of its own (its
// own primitives, queues and state), so the steps are written once for any class that has them:
// the fishing window (RavoPlug) and the plug window (Sondrel) bind, start, link and end their
// plug-in alike, and the match and Pexmor fishing windows bind PexmorPlug alike.
#pragma once

#include <string>

#include "lobby/bindings/primitive_binder.h"
#include "lobby/games/game_page.h"
#include "runtime/array.h"
#include "runtime/trace.h"

namespace lobby::games {

// Binds the six primitives both libraries export into W's statics.
template <class W>
void bindSharedPlugPrimitives(const std::string& lib) {
    W::plug_create = bindings::bindPrimitive(lib, "plug_create", 1);
    W::plug_link = bindings::bindPrimitive(lib, "plug_link", 2);
    W::plug_destroy = bindings::bindPrimitive(lib, "plug_destroy", 1);
    W::plug_send = bindings::bindPrimitive(lib, "plug_send", 2);
    W::plug_setuser = bindings::bindPrimitive(lib, "plug_setuser", 2);
    W::plug_setroom = bindings::bindPrimitive(lib, "plug_setroom", 2);
}

// Binds PexmorPlug's primitives into W's statics and gives W empty held-back queues.
template <class W>
void bindPexmorPlug() {
    W::msg_packet_arr = rt::make<rt::Array>();
    W::msg_user_arr = rt::make<rt::Array>();
    W::msg_room_arr = rt::make<rt::Array>();
    const std::string lib = "PexmorPlug";
    W::plug_create = bindings::bindPrimitive(lib, "plug_create", 1);
    W::plug_link = bindings::bindPrimitive(lib, "plug_link", 3);
    W::plug_destroy = bindings::bindPrimitive(lib, "plug_destroy", 1);
    W::plug_send = bindings::bindPrimitive(lib, "plug_send", 3);
    W::plug_closegame = bindings::bindPrimitive(lib, "plug_closegame", 1);
    W::plug_setuser = bindings::bindPrimitive(lib, "plug_setuser", 2);
    W::plug_setroom = bindings::bindPrimitive(lib, "plug_setroom", 2);
}

// The plug-in instance, with the window as its handler.
template <class W>
void createPlug(W& w) {
    w.gamePlug = W::plug_create(rt::Value(rt::Ref<W>(&w)));
    if (w.gamePlug.isNull()) RT_TRACE("plug create error!");
}

// The player's state back to "not seated".
template <class W>
void clearSeat(W& w) {
    w.into_money = 0;
    w.sceneId = 0;
    w.cannonType = 0;
    w.myUid = -1;
    w.myChairId = -2;
}

// The constructor's steps after the game window's own: the fields, the game's folder as working
// folder, and the plug-in instance with the window as its handler.
template <class W>
void startPlugWindow(W& w) {
    w.buy_unit = 0;
    w.unit_money = intField(w.gameRoom, "unit_money");
    clearSeat(w);
    w.windowMode = intField(w.gameInfo, "wmode");
    enterAppFolder();
    createPlug(w);
}

// The player sat down: the plug-in starts and links the game program "<app>.exe".
template <class W>
void linkOnSitDown(W& w, int32_t chairId, int32_t uid) {
    w.myChairId = chairId;
    w.myUid = uid;
    if (!w.gamePlug.isNull()) W::plug_link(w.gamePlug, textField(w.gameInfo, "app") + ".exe");
}

// Frees the plug-in instance. The handle is cleared first, so a callback made while the plug-in
// ends finds none.
template <class W>
void destroyPlugOf(W& w) {
    if (w.gamePlug.isNull()) return;
    const rt::Value plug = w.gamePlug;
    w.gamePlug = rt::Value();
    clearSeat(w);
    W::plug_destroy(plug);
}

}  // namespace lobby::games
