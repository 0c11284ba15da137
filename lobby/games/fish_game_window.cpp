#include "lobby/games/fish_game_window.h"

#include "lobby/bindings/primitive_binder.h"
#include "lobby/games/game_page.h"
#include "runtime/class_builder.h"
#include "runtime/record.h"

namespace lobby {

using games::fieldOf;

namespace {

// The seconds every fish of a desk configuration is given.
constexpr int32_t kFishTime = 10;
// The status of a user that enters a table.
constexpr int32_t kEnteredStatus = 5;

rt::Value elementOf(const rt::Value& list, int index) {
    if (list.type() != rt::ValueType::Array) return {};
    return arg(list.asArray(), index);
}

rt::Ref<rt::Array> itemsOf(const rt::Value& list) {
    return list.type() == rt::ValueType::Array ? list.asArray() : rt::make<rt::Array>();
}

}  // namespace

void FishGameWindow::initStatics() {
    const std::string lib = "RavoPlug";
    plugLibrary.bindShared(lib);
    plug_sendgameconfig = bindings::bindPrimitive(lib, "plug_sendgameconfig", 2);
    plug_sendgamestate = bindings::bindPrimitive(lib, "plug_sendgamestate", 1);
    plug_setuserscore = bindings::bindPrimitive(lib, "plug_setuserscore", 2);
    plug_sendexchangescore = bindings::bindPrimitive(lib, "plug_sendexchangescore", 2);
    plug_setuserstatus = bindings::bindPrimitive(lib, "plug_setuserstatus", 2);
}

void FishGameWindow::construct(rt::Value info, rt::Value room, bool fixSeat) {
    openWindow(info, room, fixSeat, "/gamefish.html");
}

rt::Value FishGameWindow::onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) {
    if (name != "deskinfo") return LinkedPlugWindow::onJsCallBack(name, args);
    sendGameConfig(arg(args, 0));
    return {};
}

void FishGameWindow::onUserLeave(rt::Value userId, rt::Value tableId, rt::Value chairId) {
    sendUserStatus(userId, tableId, chairId, 0);
}

void FishGameWindow::onUserEnter(rt::Value user, rt::Value tableId, rt::Value chairId) {
    const rt::Value uid = fieldOf(user, "uid");
    const rt::Value money = fieldOf(user, "into_moneys");
    sendUserItem(uid, fieldOf(user, "nickname"), games::intField(gameRoom, "room_id"), tableId,
                 chairId, kEnteredStatus, money);
    sendUserScore(uid, money);
    if (takeOwnMoney(user)) return;
    sendExchangeScore(chairId, fieldOf(user, "score"), games::numberOf(money));
}

void FishGameWindow::sendUserAttr() {}

void FishGameWindow::sendUserStatus(rt::Value userId, rt::Value tableId, rt::Value chairId,
                                    rt::Value status) {
    if (!hasPlug()) return;
    plug_setuserstatus(gamePlug,
                       rt::Record::of({{"userId", userId.toInt()},
                                       {"tableId", tableId.toInt()},
                                       {"chairId", chairId.toInt()},
                                       {"status", status.isNull() ? 2 : status.toInt()}}));
}

void FishGameWindow::sendUserScore(rt::Value userId, rt::Value score) {
    if (!hasPlug()) return;
    plug_setuserscore(
        gamePlug,
        rt::Record::of({{"userId", userId.toInt()},
                        {"score", score.isNull() ? rt::Value("") : rt::Value(score.toString())}}));
}

void FishGameWindow::sendExchangeScore(rt::Value chairId, rt::Value x, rt::Value y) {
    if (!hasPlug()) return;
    plug_sendexchangescore(gamePlug, rt::Record::of({{"chairId", chairId.toInt()},
                                                     {"x", games::numberOf(x)},
                                                     {"y", games::numberOf(y)}}));
}

void FishGameWindow::sendGameState() {
    if (hasPlug()) plug_sendgamestate(gamePlug);
}

void FishGameWindow::sendGameConfig(rt::Value desk) {
    if (!hasPlug()) return;
    auto fishes = rt::make<rt::Array>();
    for (const rt::Value& fish : itemsOf(fieldOf(desk, "fishes"))->items()) {
        const rt::Value place = elementOf(fish, 2);
        fishes->push(rt::Record::of({{"score", elementOf(fish, 1)},
                                     {"status", elementOf(fish, 0)},
                                     {"x", elementOf(place, 0)},
                                     {"y", elementOf(place, 1)},
                                     {"time", kFishTime}}));
    }
    auto bullets = rt::make<rt::Array>();
    for (const rt::Value& bullet : itemsOf(fieldOf(desk, "bullets"))->items()) {
        bullets->push(rt::Record::of({{"x", elementOf(bullet, 0)}, {"y", elementOf(bullet, 1)}}));
    }
    buy_unit = games::intField(desk, "exchange_count");
    plug_sendgameconfig(gamePlug, rt::Record::of({{"x", fieldOf(desk, "exchange_ratio_userscore")},
                                                  {"y", fieldOf(desk, "exchange_ratio_fishscore")},
                                                  {"level", fieldOf(desk, "exchange_count")},
                                                  {"elapsed", fieldOf(desk, "min_bullet_multiple")},
                                                  {"time", fieldOf(desk, "max_bullet_multiple")},
                                                  {"exper", fieldOf(desk, "bomb_range_width")},
                                                  {"status", fieldOf(desk, "bomb_range_height")},
                                                  {"item", fishes},
                                                  {"id", bullets}}));
}

void FishGameWindow::onGameReady() {
    sendRoomInfo();
    sendGameState();
}

const rt::ClassInfo& FishGameWindow::staticClassInfo() {
    using W = FishGameWindow;
    return describeSubclass<W>("FishGameWindow", [](rt::ClassBuilder<W>& builder) {
        addLinkedMembers(builder);
        builder
            .staticFields(RT_NAMED(W, plug_sendgameconfig, plug_sendgamestate, plug_setuserscore,
                                   plug_sendexchangescore, plug_setuserstatus))
            .methods(RT_NAMED(W, sendUserAttr, sendUserStatus, sendUserScore, sendGameState,
                              sendExchangeScore, sendGameConfig));
    });
}

RT_REGISTER_CLASS(FishGameWindow);

}  // namespace lobby
