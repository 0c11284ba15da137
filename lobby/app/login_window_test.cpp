#include "lobby/app/login_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lobby/app/app_windows.h"
#include "lobby/app/window_test_support.h"
#include "runtime/record.h"

namespace lobby {
namespace {

class LoginWindowTest : public testing::WindowTest {
protected:
    LoginWindowTest() {
        appWindows().lobbyWindow = open(rt::create<LobbyWindow>(), "lobby");
        login = open(rt::create<LoginWindow>(std::nullopt, nullptr, nullptr), "login");
        appWindows().loginWindow = login;
        host.clearCalls();
    }

    rt::Value page(const std::string& name, std::initializer_list<rt::Value> args = {}) {
        return login->onJsCallBack(name, rt::Array::of(args));
    }

    rt::Ref<LoginWindow> login;
};

TEST_F(LoginWindowTest, TheLoginPageIsFramelessAtItsSizeAndTheRegistrationPageIsNot) {
    EXPECT_EQ(login->get_url(), "/opt/lobby/resource/login.html");
    EXPECT_EQ(login->wndType, 0);
    EXPECT_EQ(login->get_windowFlag(), cef::CefWindow::WF_NO_CAPTION);
    EXPECT_EQ(prop("login", testing::kWidth), rt::Value(470));
    EXPECT_EQ(prop("login", testing::kLeft), rt::Value(725));
    EXPECT_TRUE(rt::Value(login->get_cefBrowser()).get("onBeforeMenu").isNull());

    auto reg = open(rt::create<LoginWindow>("/reg.html", 690, 550), "reg");
    EXPECT_EQ(reg->wndType, 1);
    EXPECT_EQ(reg->get_windowFlag(), 0);
    EXPECT_EQ(prop("reg", testing::kWidth), rt::Value(690));
    EXPECT_TRUE(rt::Value(reg->get_cefBrowser()).get("onBeforeMenu").isFunction());
    EXPECT_TRUE(reg->onBeforeMenu(rt::Record::of({{"typeFlags", 33}, {"selectionText", ""}})));
    EXPECT_FALSE(reg->onBeforeMenu(rt::Record::of({{"typeFlags", 35}, {"selectionText", ""}})));
}

TEST_F(LoginWindowTest, SetWHKeepsTheCentreTruncatingHalfDifferences) {
    setProp("login", testing::kWidth, 470);
    setProp("login", testing::kHeight, 343);
    setProp("login", testing::kLeft, 100);
    setProp("login", testing::kTop, 100);
    page("setWH", {500, 400, 5});
    EXPECT_EQ(prop("login", testing::kWidth), rt::Value(500));
    EXPECT_EQ(prop("login", testing::kHeight), rt::Value(400));
    EXPECT_EQ(prop("login", testing::kLeft), rt::Value(85));
    EXPECT_EQ(prop("login", testing::kTop), rt::Value(72));
    EXPECT_EQ(login->cornerRadius, 5);
}

TEST_F(LoginWindowTest, AResizeSnapsBackToThePageSize) {
    setProp("login", testing::kWidth, 900);
    setProp("login", testing::kHeight, 20);
    login->on_size();
    EXPECT_EQ(prop("login", testing::kWidth), rt::Value(470));
    EXPECT_EQ(prop("login", testing::kHeight), rt::Value(343));
    auto round = host.calls("window_setround");
    ASSERT_EQ(round.size(), 1u);
    EXPECT_EQ(round[0].args[1].get("width"), rt::Value(471));
    EXPECT_EQ(round[0].args[2].get("width"), rt::Value(9.0));
}

TEST_F(LoginWindowTest, APlaceholderPopupOpensTheConfiguredAddressInTheSystemBrowser) {
    Config::configs["payment_url"] = "/pay/index.html";
    Config::configs["index_url"] = "http://127.0.0.1:8080/";
    EXPECT_FALSE(login->onBeforePopup("file:///opt/lobby/%7B$payment_url%7D"));
    EXPECT_FALSE(login->onBeforePopup("file:///opt/lobby/%7B$index_url%7D"));
    EXPECT_FALSE(login->onBeforePopup("file:///opt/lobby/%7B$nothing%7D"));
    Config::remoteConfigs = rt::Record::of({{"pop", rt::Array::of({"/help/"})}});
    EXPECT_TRUE(login->onBeforePopup("http://127.0.0.1:8080/help/1.html"));
    EXPECT_FALSE(login->onBeforePopup("http://127.0.0.1:8080/other.html"));
    std::vector<std::string> launched;
    for (const auto& c : host.calls("browser_launch")) launched.push_back(c.args[0].toString());
    EXPECT_EQ(launched, (std::vector<std::string>{"http://127.0.0.1:8080/pay/index.html",
                                                  "http://127.0.0.1:8080/",
                                                  "http://127.0.0.1:8080/other.html"}));
}

TEST_F(LoginWindowTest, OnlyOkHidesTheWindowAndThePageGetsTheResultAsALiteral) {
    login->setLoginResult("密码错误');runApp('x");
    EXPECT_TRUE(prop("login", testing::kEnabled).isNull());
    ASSERT_EQ(scripts().size(), 1u);
    EXPECT_EQ(scripts()[0], "setLoginResult('密码错误\\');runApp(\\'x')");
    login->setLoginResult("ok");
    EXPECT_EQ(prop("login", testing::kEnabled), rt::Value(false));
    EXPECT_EQ(scripts().back(), "setLoginResult('ok')");
}

TEST_F(LoginWindowTest, LoginCallsAreRelayedToTheLobbyPage) {
    Config::machineCodeStr = "MC-7";
    page("toLogin", {"user", "secret", "code", 1});
    EXPECT_TRUE(appWindows().lobbyWindow->recordAccount);
    auto calls = pageCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].first, "login");
    EXPECT_EQ(calls[0].second.asArray()->items(),
              (std::vector<rt::Value>{"user", "secret", "code", "MC-7"}));
    EXPECT_EQ(host.calls("frame_invokejsfunc")[0].args[0], rt::Value("lobby"));
    page("toLogin", {"user", "secret", "code"});
    EXPECT_FALSE(appWindows().lobbyWindow->recordAccount);
    host.answer("frame_evaljavascript", rt::Value("remembered"));
    EXPECT_EQ(page("getRecodeAccount"), rt::Value("remembered"));
    page("getCaptchaUrl");
    auto evaluated = host.calls("frame_evaljavascript");
    ASSERT_EQ(evaluated.size(), 2u);
    EXPECT_EQ(evaluated[1].args[3], rt::Value("getCaptchaUrl();"));
}

TEST_F(LoginWindowTest, ConfigurationAndFallbackCalls) {
    EXPECT_TRUE(page("getConfigVar", {"nothing"}).isNull());
    EXPECT_EQ(page("getConfigVar", {"product"}), rt::Value("Lobby"));
    EXPECT_EQ(page("pageWidth"), rt::Value(470));
    page("pageWidth", {480});
    EXPECT_EQ(login->pageWidth, 480);
    EXPECT_TRUE(page("unknownCall").isNull());
}

TEST_F(LoginWindowTest, ClosingBeforeLoginStopsTheDownloadsAndQuits) {
    auto engine = rt::create<testing::Recorder>();
    appWindows().lobbyWindow->downloadGame = engine;
    EXPECT_TRUE(login->on_close());
    ASSERT_EQ(engine->calls.size(), 1u);
    EXPECT_EQ(engine->calls[0].first, "OnDestroy");
    EXPECT_FALSE(appWindows().lobbyWindow->downloadGame);
    EXPECT_EQ(host.count("cef_app_quit"), 1);
    EXPECT_FALSE(appWindows().loginWindow);
}

TEST_F(LoginWindowTest, ClosingAfterLoginOnlyForgetsTheWindow) {
    appWindows().lobbyWindow->isLogin = true;
    EXPECT_TRUE(login->on_close());
    EXPECT_EQ(host.count("cef_app_quit"), 0);
    EXPECT_FALSE(appWindows().loginWindow);
    auto reg = open(rt::create<LoginWindow>("/reg.html", 690, 550), "reg");
    appWindows().userRegWindow = reg;
    EXPECT_TRUE(reg->on_close());
    EXPECT_FALSE(appWindows().userRegWindow);
    EXPECT_EQ(host.count("cef_app_quit"), 0);
}

TEST_F(LoginWindowTest, ACaptchaAddressNeedsABrowserFrame) {
    login->setCaptchaUrl("http://127.0.0.1:8080/captcha.png");
    ASSERT_EQ(pageCalls().size(), 1u);
    EXPECT_EQ(pageCalls()[0].first, "setCaptchaUrl");
    host.answer("browser_getmainframeid", -1);
    auto fresh = open(rt::create<LoginWindow>(std::nullopt, nullptr, nullptr), "fresh");
    fresh->setCaptchaUrl("x");
    EXPECT_EQ(pageCalls().size(), 1u);
}

}  // namespace
}  // namespace lobby
