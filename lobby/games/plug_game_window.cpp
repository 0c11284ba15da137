#include "lobby/games/plug_game_window.h"

#include "lobby/games/game_page.h"
#include "runtime/class_builder.h"
#include "runtime/trace.h"

namespace lobby {

void PlugGameWindow::initStatics() {
    plugLibrary.bindShared("Sondrel");
}

void PlugGameWindow::construct(rt::Value info, rt::Value room, bool fixSeat) {
    openWindow(info, room, fixSeat, "/gameplug.html");
}

rt::Value PlugGameWindow::onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) {
    if (name == "onSocket") RT_TRACE(arg(args, 0).toString());
    return LinkedPlugWindow::onJsCallBack(name, args);
}

void PlugGameWindow::onUserLeave(rt::Value, rt::Value, rt::Value) {}

void PlugGameWindow::onUserEnter(rt::Value user, rt::Value tableId, rt::Value chairId) {
    sendUserItem(games::fieldOf(user, "uid"), games::fieldOf(user, "nickname"),
                 games::intField(gameRoom, "room_id"), tableId, chairId, 5,
                 games::fieldOf(user, "into_moneys"));
    takeOwnMoney(user);
}

const rt::ClassInfo& PlugGameWindow::staticClassInfo() {
    return describeSubclass<PlugGameWindow>("PlugGameWindow", addLinkedMembers<PlugGameWindow>);
}

RT_REGISTER_CLASS(PlugGameWindow);

}  // namespace lobby
