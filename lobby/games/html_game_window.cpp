#include "lobby/games/html_game_window.h"

#include "lobby/app/main.h"
#include "lobby/games/game_page.h"
#include "runtime/class_builder.h"
#include "runtime/trace.h"

namespace lobby {

void HtmlGameWindow::construct(rt::Value info, rt::Value room, bool fixSeat, std::string uid) {
    myUid = uid;
    const int32_t roomId = games::intField(room, "room_id");
    RT_TRACE(std::to_string(roomId) + "=======" + std::to_string(roomId % 2));
    if (roomId % 2 == 0) {
        GameWindow::construct(info, room, fixSeat, "/lurnap.html");
    } else {
        GameWindow::construct(info, room, fixSeat, "tivro/lurnap.html", 1380, 830, true);
    }
}

rt::Value HtmlGameWindow::onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) {
    if (name == "traceFms") return {};
    return GameWindow::onJsCallBack(name, args);
}

bool HtmlGameWindow::onClose() {
    games::callPage(*this, "closeHtmlGameWindow", {myUid});
    Main::closeGame(rt::Ref<GameWindow>(this));
    return true;
}

void HtmlGameWindow::socketConnect(bool) {}

void HtmlGameWindow::sendDataToServer(rt::Value) {}

void HtmlGameWindow::startConnServer() {}

const rt::ClassInfo& HtmlGameWindow::staticClassInfo() {
    using W = HtmlGameWindow;
    return describeSubclass<W>(
        "HtmlGameWindow", [](rt::ClassBuilder<W>& builder) { builder.field("myUid", &W::myUid); });
}

RT_REGISTER_CLASS(HtmlGameWindow);

}  // namespace lobby
