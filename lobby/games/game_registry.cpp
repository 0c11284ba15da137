#include "lobby/games/game_registry.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>

#include "lobby/app/app_windows.h"
#include "lobby/app/lobby_window.h"
#include "lobby/games/fish_game_window.h"
#include "lobby/games/game_match.h"
#include "lobby/games/game_page.h"
#include "lobby/games/game_window.h"
#include "lobby/games/html_game_window.h"
#include "lobby/games/np_plug_window.h"
#include "lobby/games/pexmor_fish_game_window.h"
#include "lobby/games/plug_game_window.h"
#include "lobby/games/unity_game_window.h"
#include "runtime/create.h"
#include "runtime/record.h"

namespace lobby {

namespace {

// Room keys compare as the page gave them: two absent values are equal, an absent and a present
// one are not.
bool sameRoom(const rt::Value& a, const rt::Value& b) {
    for (const char* key : {"game_type", "room_type", "room_level"}) {
        if (!(games::fieldOf(a, key) == games::fieldOf(b, key))) return false;
    }
    return true;
}

// The window mode a value names: an integral number; anything else names no mode.
std::optional<int32_t> windowModeOf(const rt::Value& mode) {
    if (mode.isInt()) return mode.toInt();
    if (!mode.isNumber()) return std::nullopt;
    const double f = mode.toFloat();
    if (!(f >= INT32_MIN && f <= INT32_MAX) || std::trunc(f) != f) return std::nullopt;
    return static_cast<int32_t>(f);
}

// A window mode present and above 0.
bool plugInMode(const rt::Value& gameInfo) {
    const std::optional<int32_t> mode = windowModeOf(games::fieldOf(gameInfo, "wmode"));
    return mode && *mode > 0;
}

rt::Ref<GameWindow> makeWindow(int32_t mode, const rt::Value& info, const rt::Value& room,
                               bool fixSeat, const rt::Value& arg4, const rt::Value& arg5,
                               const std::string& arg6) {
    switch (mode) {
        case 0:
            return rt::create<GameWindow>(info, room, fixSeat);
        case 1:
            return rt::create<PexmorFishGameWindow>(info, room, fixSeat,
                                                    std::string("/gamepexfish.html"));
        case 2:
            return rt::create<UnityGameWindow>(info, room, fixSeat, arg4, arg5, arg6);
        case 3:
            return rt::create<NPPlugWindow>(info, room, fixSeat, arg4, arg5, arg6);
        case 4:
            return rt::create<HtmlGameWindow>(info, room, fixSeat, arg6);
        case 5:
            return rt::create<FishGameWindow>(info, room, fixSeat);
        case 6:
            return rt::create<PlugGameWindow>(info, room, fixSeat);
        case 7:
            return rt::create<GameMatch>(info, room, fixSeat);
        default:
            return {};
    }
}

// Un-minimises the lobby window when no game window is left visible and un-minimised.
void restoreLobbyWhenNoGameInView() {
    if (appWindows().gamesWindow) {
        for (const rt::Value& w : appWindows().gamesWindow->items()) {
            rt::Ref<GameWindow> window = w.as<GameWindow>();
            if (window && window->get_visible() && !window->get_minimized()) return;
        }
    }
    if (appWindows().lobbyWindow && appWindows().lobbyWindow->get_minimized()) {
        appWindows().lobbyWindow->set_minimized(false);
    }
}

void removeFirst(const rt::Value& window) {
    if (!appWindows().gamesWindow) return;
    auto& items = appWindows().gamesWindow->items();
    for (auto it = items.begin(); it != items.end(); ++it) {
        if (it->heap() == window.heap()) {
            items.erase(it);
            return;
        }
    }
}

}  // namespace

void GameRegistry::openGame(rt::Value gameInfo, rt::Value gameRoom, bool isFixSeat, rt::Value arg4,
                            rt::Value arg5, std::string arg6) {
    AppWindows& windows = appWindows();
    if (!windows.gamesWindow) windows.gamesWindow = rt::make<rt::Array>();
    for (const rt::Value& w : windows.gamesWindow->items()) {
        rt::Ref<GameWindow> window = w.as<GameWindow>();
        if (!window) continue;
        if (sameRoom(gameRoom, window->gameRoom) ||
            (plugInMode(gameInfo) && plugInMode(window->gameInfo))) {
            window->setShow(true);
            if (windows.lobbyWindow) windows.lobbyWindow->set_minimized(true);
            return;
        }
    }
    rt::Value mode = games::fieldOf(gameInfo, "wmode");
    if (mode.isNull()) {
        if (rt::Ref<rt::Record> record = gameInfo.type() == rt::ValueType::Record
                                             ? gameInfo.asRecord()
                                             : rt::Ref<rt::Record>()) {
            record->set("wmode", 0);
        }
        mode = 0;
    }
    const std::optional<int32_t> named = windowModeOf(mode);
    if (!named) return;
    rt::Ref<GameWindow> window =
        makeWindow(*named, gameInfo, gameRoom, isFixSeat, arg4, arg5, arg6);
    if (window) windows.gamesWindow->push(rt::Value(window));
}

rt::Value GameRegistry::getGameWindow(int32_t gameType, int32_t roomType, int32_t roomLevel) {
    if (rt::Ref<GameWindow> window = find(gameType, roomType, roomLevel)) return window;
    return {};
}

void GameRegistry::closeGame(const rt::Value& window) {
    removeFirst(window);
    restoreLobbyWhenNoGameInView();
}

void GameRegistry::destroyGame(int32_t gameType, int32_t roomType, int32_t roomLevel) {
    if (rt::Ref<GameWindow> window = find(gameType, roomType, roomLevel)) {
        removeFirst(window);
        window->destroy();
    }
    restoreLobbyWhenNoGameInView();
}

rt::Ref<GameWindow> GameRegistry::find(int32_t gameType, int32_t roomType, int32_t roomLevel) {
    const rt::Ref<rt::Array>& open = appWindows().gamesWindow;
    if (!open) return {};
    for (const rt::Value& w : open->items()) {
        rt::Ref<GameWindow> window = w.as<GameWindow>();
        if (window && window->check(gameType, roomType, roomLevel)) return window;
    }
    return {};
}

namespace {

// Installed when the game-window library is loaded, before the application can open a game.
const bool kInstalled = [] {
    installGameWindows(std::make_unique<GameRegistry>());
    return true;
}();

}  // namespace

}  // namespace lobby
