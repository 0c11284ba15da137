#include "lobby/games/np_plug_window.h"

#include <utility>

#include "lobby/bindings/cef/cef_app.h"
#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/value_access.h"
#include "lobby/games/game_page.h"
#include "lobby/games/plug_packets.h"
#include "runtime/class_builder.h"
#include "runtime/json.h"
#include "runtime/trace.h"

namespace lobby {

namespace {

constexpr const char* kReadyMessage = R"({"type":"game","tag":"ready"})";

// The user id stands unquoted in the room text; anything but a plain number goes in as a JSON
// string so that it cannot break the text.
std::string jsonNumberOrString(const std::string& text) {
    return games::isPlainNumber(text, false) ? text : rt::Json::stringify(rt::Value(text));
}

}  // namespace

void NPPlugWindow::init_plug_module() {
    if (!np_create.isNull()) return;
    const std::string lib = "npPlug";
    np_create = bindings::bindPrimitive(lib, "np_create", 1);
    np_link = bindings::bindPrimitive(lib, "np_link", 4);
    np_onmsg = bindings::bindPrimitive(lib, "np_onmsg", 3);
    np_send = bindings::bindPrimitive(lib, "np_send", 2);
    np_unlink = bindings::bindPrimitive(lib, "np_unlink", 1);
    np_destroy = bindings::bindPrimitive(lib, "np_destroy", 1);
}

void NPPlugWindow::construct(rt::Value info, rt::Value room, bool fixSeat, rt::Value deskNo,
                             rt::Value seatNo, std::string uid) {
    init_plug_module();
    games::enterAppFolder();
    gamePlug = np_create(rt::Value(rt::Ref<NPPlugWindow>(this)));
    if (gamePlug.isNull()) RT_TRACE("plug create error!");
    isEmbed = false;
    windowMode = games::intField(info, "wmode");
    _uid = uid;
    _deskNo = deskNo.toInt();
    _seatNo = seatNo.toInt();
    std::string page = "/gamenp.html?app=";
    if (games::hasField(info, "embed") && games::intField(info, "embed") == 1) {
        isEmbed = true;
        page = "/gamenp_embed.html?app=";
    }
    page += games::queryEscaped(games::textField(info, "app")) +
            "&ad=0&deskno=" + std::to_string(_deskNo) + "&seatno=" + std::to_string(_seatNo) +
            "&uid=" + games::queryEscaped(_uid) +
            "&name=" + games::queryEscaped(games::textField(info, "name")) +
            "&wmode=" + std::to_string(windowMode);
    GameWindow::construct(info, room, fixSeat, page);
    if (!isEmbed && !isFixSeat) link(handleText());
}

rt::Value NPPlugWindow::handleText() {
    return rt::Convert<std::optional<std::string>>::to(
        cef::CefApp::getHwndStr(rt::Ref<cef::CefWindow>(this)));
}

void NPPlugWindow::link(const rt::Value& fourth) {
    if (gamePlug.isNull()) return;
    np_link(gamePlug, games::textField(gameInfo, "app") + ".exe", handleText(), fourth);
}

void NPPlugWindow::toPage(const std::string& function, std::vector<rt::Value> args) {
    if (!pageReady_) {
        heldCalls_.push_back({function, std::move(args)});
        return;
    }
    games::callPage(*this, function, rt::make<rt::Array>(std::move(args)));
}

rt::Value NPPlugWindow::onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) {
    if (name == "setSwfReady") {
        GameWindow::onJsCallBack(name, args);
        pageReady_ = true;
        // What came before the page was ready goes to it now, in the order it came; a held call
        // may lead to further calls, which then go at once.
        std::vector<HeldCall> held = std::exchange(heldCalls_, {});
        for (HeldCall& call : held) toPage(call.function, std::move(call.args));
    } else if (name == "run") {
        _deskNo = arg(args, 0).toInt();
        _seatNo = arg(args, 1).toInt();
        link(handleText());
    } else if (name == "onSocket") {
        sendData(textOf(arg(args, 0)));
    } else {
        return GameWindow::onJsCallBack(name, args);
    }
    return {};
}

bool NPPlugWindow::onSystemMessage(std::optional<std::string> kind, rt::Value a, rt::Value b) {
    if (kind == "process") {
        if (!gamePlug.isNull()) np_onmsg(gamePlug, a, b);
    } else if (kind == "plug") {
        if (a.isNumber() && a.toInt() == -1 && !gamePlug.isNull()) {
            games::enterAppFolder();
            link(b);
        }
    }
    return true;
}

std::string NPPlugWindow::roomInfoMessage() const {
    return R"({"type":"_sys_","tag":"roominfo","body":{"userId":)" + jsonNumberOrString(_uid) +
           R"(,"tableId":)" + std::to_string(_deskNo) + R"(,"chairID":)" + std::to_string(_seatNo) +
           R"(,"gameType":)" + std::to_string(games::intField(gameRoom, "game_type")) +
           R"(,"roomType":)" + std::to_string(games::intField(gameRoom, "room_type")) +
           R"(,"roomLevel":)" + std::to_string(games::intField(gameRoom, "room_level")) +
           R"(,"roomId":)" + std::to_string(games::intField(gameRoom, "room_id")) +
           R"(,"title":")" + games::jsonEscaped(games::textField(gameRoom, "title")) + R"("}})";
}

void NPPlugWindow::sendData(std::optional<std::string> text) {
    if (gamePlug.isNull()) return;
    RT_TRACE(text.value_or("null"));
    np_send(gamePlug, text ? rt::Value(*text) : rt::Value());
}

void NPPlugWindow::setRoomInfo() {
    sendData(roomInfoMessage());
}

void NPPlugWindow::onPlugLink(rt::Value) {
    RT_TRACE("plug link");
    setRoomInfo();
    toPage("sendDataToServer", {rt::Value(kReadyMessage)});
    minimizeLobby();
}

void NPPlugWindow::onPlugMsg(std::optional<std::string> text) {
    RT_TRACE(text.value_or("null"));
    toPage("sendDataToServer", {text ? rt::Value(*text) : rt::Value()});
}

void NPPlugWindow::onGameClose(rt::Value) {
    if (cef::CefApp::isQuit) return;
    RT_TRACE("onGameClose");
    toPage("onGameClose", {});
    restoreLobby();
}

void NPPlugWindow::destroyPlug() {
    if (gamePlug.isNull()) return;
    const rt::Value plug = gamePlug;
    gamePlug = rt::Value();
    np_destroy(plug);
}

void NPPlugWindow::onDestroy() {
    destroyPlug();
    GameWindow::onDestroy();
}

bool NPPlugWindow::onClose() {
    return isEmbed || !isFixSeat;
}

void NPPlugWindow::hotkeyShow(bool flag) {
    if (isEmbed) GameWindow::hotkeyShow(flag);
}

void NPPlugWindow::setShow(bool flag) {
    if (isEmbed) GameWindow::setShow(flag);
}

void NPPlugWindow::gameAlert(std::optional<std::string> message) {
    alertLobby(message);
    if (games::isConnectionAlert(message) && !gamePlug.isNull()) np_unlink(gamePlug);
}

const rt::ClassInfo& NPPlugWindow::staticClassInfo() {
    using W = NPPlugWindow;
    return describeSubclass<W>("NPPlugWindow", [](rt::ClassBuilder<W>& builder) {
        builder.fields(RT_NAMED(W, _seatNo, _deskNo, _uid, isEmbed, gamePlug))
            .staticFields(RT_NAMED(W, np_create, np_link, np_onmsg, np_send, np_unlink, np_destroy))
            .staticMethod("init_plug_module", &W::init_plug_module)
            .methods(RT_NAMED(W, destroyPlug, onGameClose, sendData, setRoomInfo, onPlugMsg,
                              onPlugLink));
    });
}

RT_REGISTER_CLASS(NPPlugWindow);

}  // namespace lobby
