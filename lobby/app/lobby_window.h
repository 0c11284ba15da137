#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "lobby/app/base_window.h"
#include "lobby/bindings/cef/cef_frame.h"
#include "lobby/bindings/value_access.h"
#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/value.h"

namespace lobby {

// The window of the lobby page, which holds the connection to the game servers. It answers the
// lobby page's calls, relays between that page, the login window, the game windows and the
// download engine, and owns the tray menu and the boss key's system messages.
class LobbyWindow : public BaseWindow {
    RT_CLASS(LobbyWindow)
public:
    // The tray icon has been made after the first login.
    static inline bool isInit = false;
    // The page is recording a new boss key; the boss key does nothing meanwhile.
    static inline bool isHotKeySetting = false;
    // Tray menu texts, in the system's ANSI form.
    static inline std::optional<std::string> quitStr;
    static inline std::optional<std::string> updateStr;
    static inline std::optional<std::string> aboutStr;

    static constexpr int32_t kMenuQuit = 9002;
    static constexpr int32_t kMenuUpdate = 9003;
    static constexpr int32_t kMenuAbout = 9004;

    // The download engine, made on the page's first "downloadGame".
    rt::Ref<rt::Object> downloadGame;
    bool recordAccount = false;
    std::optional<std::string> loginPassword;
    std::optional<std::string> loginUserName;
    bool isLogin = false;

    void construct();

    rt::Value onJsCallBack(const std::string& name, rt::Ref<rt::Array> args) override;
    bool onSystemMessage(std::optional<std::string> kind, rt::Value a, rt::Value b) override;
    bool onClose() override;
    bool onMinimize() override;
    // Once the window exists, the version check's findings are posted through it.
    void onCreate() override;

    // Operations for the game windows and the login window; most call the lobby page function of
    // the same name.
    virtual rt::Value getUserInfo(rt::Value a, rt::Value b, rt::Value c, rt::Value d);
    virtual void closeGameTable(rt::Value gameType, rt::Value roomType, rt::Value roomLevel);
    virtual void clearRecordAccount();
    virtual rt::Value getRecodeAccount();
    virtual void toLogin(std::optional<std::string> userName, std::optional<std::string> passWord,
                         rt::Value text, bool isRecode);
    virtual void sendMsg(std::optional<std::string> text1, std::optional<std::string> text2);
    virtual void getCaptchaUrl();
    virtual void showGameGetMoneyUI(rt::Value a, rt::Value b, rt::Value c, rt::Value d,
                                    rt::Value e);
    virtual void showLoginWindow();
    virtual void showAlert(rt::Value a, rt::Value b, rt::Value c, rt::Value text1, rt::Value text2);
    virtual void gameAlert(rt::Value gameType, rt::Value roomType, rt::Value roomLevel,
                           rt::Value text1, rt::Value text2);
    virtual void sendGameDataToServer(rt::Value gameType, rt::Value roomType, rt::Value roomLevel,
                                      rt::Value data);
    virtual void onAccountEvent(rt::Value gameType, rt::Value roomType, rt::Value roomLevel,
                                rt::Value eventName);
    virtual void onSocketData(rt::Value gameType, rt::Value roomType, rt::Value roomLevel,
                              rt::Value data);
    virtual rt::Value getAccountInfo();

    // Stops the download engine, when there is one, and ends the application.
    void quitApplication();

private:
    rt::Ref<cef::CefFrame> pageFrame();
    // Calls a lobby page function in the main frame; null without a frame.
    rt::Value callPage(const char* function, rt::Ref<rt::Array> args);
    void completeLogin();
    // System messages (lobby_window_system.cpp).
    void onTrayMessage(const rt::Value& mouseMessage);
    void onHotKeyMessage();
    void onNewApp();
    void makeTray();
};

}  // namespace lobby
