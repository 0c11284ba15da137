#pragma once

#include <optional>
#include <string>
#include <vector>

#include "lobby/games/game_window.h"
#include "runtime/primitive.h"

namespace lobby {

// The window of window mode 3: its game runs in a native program that the game-host library
// npPlug starts and links to the window. Texts pass between the page and the game through the
// library, and the game gets the room's data when it links.
class NPPlugWindow : public GameWindow {
    RT_CLASS(NPPlugWindow)
public:
    static inline rt::Primitive np_create;
    static inline rt::Primitive np_link;
    static inline rt::Primitive np_onmsg;
    static inline rt::Primitive np_send;
    static inline rt::Primitive np_unlink;
    static inline rt::Primitive np_destroy;

    // Binds the primitives from "npPlug" unless they are bound already.
    static void init_plug_module();

    int32_t _seatNo = 0;
    int32_t _deskNo = 0;
    std::string _uid;
    bool isEmbed = false;
    rt::Value gamePlug;

    void construct(rt::Value gameInfo, rt::Value gameRoom, bool isFixSeat, rt::Value deskNo = 0,
                   rt::Value seatNo = 0, std::string uid = "");

    virtual void destroyPlug();
    virtual void onGameClose(rt::Value code);
    virtual void sendData(std::optional<std::string> text);
    virtual void setRoomInfo();
    virtual void onPlugMsg(std::optional<std::string> text);
    virtual void onPlugLink(rt::Value flag);

    // The room text the game gets when it links.
    std::string roomInfoMessage() const;

    bool onSystemMessage(std::optional<std::string> kind, rt::Value a, rt::Value b) override;
    rt::Value onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) override;
    void onDestroy() override;
    bool onClose() override;
    void hotkeyShow(bool flag) override;
    void setShow(bool flag) override;
    void gameAlert(std::optional<std::string> message) override;

private:
    // A call of a page function waiting for the page to be ready.
    struct HeldCall {
        std::string function;
        std::vector<rt::Value> args;
    };

    // Calls the page function now, or once the page is ready: the game links as the window is
    // made and may talk before its page has loaded.
    void toPage(const std::string& function, std::vector<rt::Value> args);
    // The window's native handle as text.
    rt::Value handleText();
    void link(const rt::Value& fourth);

    // Set once the page has reported ready ("setSwfReady"); before it the page has no functions.
    bool pageReady_ = false;
    std::vector<HeldCall> heldCalls_;
};

}  // namespace lobby
