#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "lobby/app/base_window.h"
#include "runtime/array.h"
#include "runtime/class_builder.h"
#include "runtime/value.h"

namespace lobby {

// The window of one open game room, and the window of window mode 0 (the plain page game). It
// relays between its game page and the lobby page: page calls go to the lobby window's server
// road, lobby messages come in through the virtual operations, which call functions or run
// script in the game page. Fixed-seat windows (a seat the player keeps) hide instead of closing.
class GameWindow : public BaseWindow {
    RT_CLASS(GameWindow)
public:
    int32_t windowMode = 0;
    bool isFixSeat = false;
    // The visibility last asked for; the boss key acts only while it is true.
    bool pervVisible = false;
    // Kept for the page.
    bool isInGame = false;
    rt::Value gameRoom;
    rt::Value gameInfo;

    // An absent (null) page, width or height takes "/game.html", 1350 and 714; `appFolderPage`
    // true means the page is not under the local page folder.
    void construct(rt::Value gameInfo, rt::Value gameRoom, bool isFixSeat, rt::Value page = {},
                   rt::Value width = {}, rt::Value height = {}, bool appFolderPage = false);

    virtual void closeExeGame();
    virtual void onGamePlayerEvent(std::optional<std::string> data, rt::Value value);
    virtual void onAlertCallBack(std::optional<std::string> message,
                                 std::optional<std::string> answer);
    virtual void socketConnect(bool flag);
    virtual void ReEnterRoom();
    virtual void hotkeyShow(bool flag);
    virtual void gameAlert(std::optional<std::string> message);
    virtual void onAccountUpdate(rt::Value data);
    virtual void onMessage(rt::Value data);
    virtual void setShow(bool flag);
    virtual void messageSendResult(std::optional<std::string> result);
    virtual void startConnServer();
    virtual void toEnterGameMoney(rt::Value value);
    virtual void sendDataToServer(rt::Value data);
    virtual bool check(int32_t game_type, int32_t room_type, int32_t room_level);

    rt::Value onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) override;
    void onDestroy() override;
    bool onClose() override;
    void onBrowserCreated() override;

    // The class descriptor of the game window class W, made once: GameWindow as its base, the
    // by-name members `members` adds to the builder, and W::construct as its construction steps.
    template <class W, class Members>
    static const rt::ClassInfo& describeSubclass(const char* name, Members members) {
        static const rt::ClassInfo& info = [&]() -> const rt::ClassInfo& {
            rt::ClassBuilder<W> builder(name);
            builder.template extends<GameWindow>();
            members(builder);
            return builder.constructor(&W::construct).build();
        }();
        return info;
    }

protected:
    // The game key as the lobby window's operations take it: game_type, room_type, room_level.
    rt::Value gameType() const;
    rt::Value roomType() const;
    rt::Value roomLevel() const;
    // The room's title for the lobby's alerts.
    rt::Value roomTitle() const;
    // The game program a plug-in starts: the game's "app" with ".exe".
    std::string gameProgram() const;
    // The lobby window's gameAlert with this window's key and title.
    void alertLobby(const std::optional<std::string>& message);
    // Un-minimises a minimised lobby window.
    static void restoreLobby();
    static void minimizeLobby();

private:
    void onSwfReady();
    void setWindowVisible(bool flag);
};

}  // namespace lobby
