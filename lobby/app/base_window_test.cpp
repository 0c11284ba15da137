#include "lobby/app/base_window.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "lobby/app/app_windows.h"
#include "lobby/app/install_paths.h"
#include "lobby/app/page_calls.h"
#include "lobby/app/screen_metrics.h"
#include "lobby/app/window_test_support.h"
#include "lobby/bindings/cef/cef_response.h"
#include "lobby/games/game_window.h"
#include "runtime/bytes.h"
#include "runtime/class_builder.h"
#include "runtime/record.h"

namespace lobby {

// A window that sizes itself as a game window, as the game windows that say so do.
class GameSizedWindow : public BaseWindow {
    RT_CLASS(GameSizedWindow)
public:
    void construct() {
        BaseWindow::construct("game.html", nullptr, nullptr);
        isGameWindow = true;
    }
};

const rt::ClassInfo& GameSizedWindow::staticClassInfo() {
    return testing::testWindowClass<GameSizedWindow, BaseWindow>("test.GameSizedWindow");
}

namespace {

class BaseWindowTest : public testing::WindowTest {
protected:
    BaseWindowTest() {
        window = open(rt::create<BaseWindow>("resource/page.html", nullptr, nullptr), "base");
        appWindows().lobbyWindow = nullptr;
        host.clearCalls();
    }

    rt::Value page(const std::string& name, std::initializer_list<rt::Value> args = {}) {
        return window->onJsCallBack(name, rt::Array::of(args));
    }
    bool popup(const std::string& url) {
        return rt::Value(window->get_cefBrowser()).get("onBeforePopup").call({url}).toBool();
    }
    bool browse(bool isMain, const std::string& frame, const std::string& url) {
        return window->onBeforeBrowse(isMain, frame, url, 0, nullptr);
    }
    std::vector<std::string> launched() const {
        std::vector<std::string> out;
        for (const auto& c : host.calls("browser_launch")) out.push_back(c.args[0].toString());
        return out;
    }
    std::vector<std::string> loaded() const {
        std::vector<std::string> out;
        for (const auto& c : host.calls("frame_loadurl")) {
            out.push_back(c.args[2].toString() + ">" + c.args[3].toString());
        }
        return out;
    }
    void rules(std::initializer_list<rt::Value> list) {
        Config::remoteConfigs = rt::Record::of({{"urlRules", rt::Array::of(list)}});
    }

    rt::Ref<BaseWindow> window;
};

TEST_F(BaseWindowTest, IsMadeFramelessOnAProgramPageAtTheInitialSize) {
    rt::Ref<BaseWindow> w = rt::create<BaseWindow>("resource/a.html", 0, 700);
    auto made = host.calls("cef_window_create");
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0].args[0], rt::Value(1536));
    EXPECT_EQ(made[0].args[1], rt::Value(700));
    EXPECT_EQ(made[0].args[2], rt::Value(cef::CefWindow::WF_NO_CAPTION));
    EXPECT_EQ(w->get_url(), "/opt/lobby/resource/a.html");
}

TEST_F(BaseWindowTest, DragAndResizeDoNothingWhileMaximised) {
    setProp("base", testing::kMaximized, true);
    page("startDrag");
    page("resize", {"TL"});
    EXPECT_EQ(host.count("window_drag"), 0);
    EXPECT_EQ(host.count("window_resize"), 0);
    setProp("base", testing::kMaximized, false);
    page("startDrag");
    page("resize", {"TL"});
    EXPECT_EQ(host.count("window_drag"), 1);
    ASSERT_EQ(host.count("window_resize"), 1);
    EXPECT_EQ(host.calls("window_resize")[0].args[1], rt::Value(4));
    page("maxWindow");
    EXPECT_EQ(prop("base", testing::kMaximized), rt::Value(true));
}

TEST_F(BaseWindowTest, ConfigurationCallsAnswerAndForgetTheSiteWhenItChanges) {
    EXPECT_TRUE(page("getConfigVar", {"missing"}).isNull());
    EXPECT_EQ(page("getConfigVar", {"product"}), rt::Value("Lobby"));
    BaseWindow::initSiteVar();
    EXPECT_EQ(BaseWindow::siteUrl, "http://127.0.0.1:8080");
    page("setConfigVar", {"site", "http://127.0.0.1:9090"});
    EXPECT_FALSE(BaseWindow::siteUrl.has_value());
    BaseWindow::initSiteVar();
    EXPECT_EQ(BaseWindow::siteUrl, "http://127.0.0.1:9090");
    page("setMachibeCode", {"M-1"});
    EXPECT_EQ(Config::machineCodeStr, "M-1");
}

TEST_F(BaseWindowTest, PageFunctionsOfOtherWindowsGetTheTrailingArgumentsOnlyWhenThereAreAny) {
    appWindows().lobbyWindow = rt::create<LobbyWindow>();
    open(appWindows().lobbyWindow, "lobby");
    host.clearCalls();
    page("execLobbyJs", {"f"});
    page("execLobbyJs", {"g", 1, "two"});
    auto calls = pageCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].first, "f");
    EXPECT_TRUE(calls[0].second.isNull());
    EXPECT_EQ(calls[1].first, "g");
    ASSERT_TRUE(calls[1].second.asArray());
    EXPECT_EQ(calls[1].second.asArray()->items(), (std::vector<rt::Value>{1, "two"}));
    EXPECT_EQ(host.calls("frame_invokejsfunc")[1].args[0], rt::Value("lobby"));
    EXPECT_TRUE(page("execLoginJs", {"h"}).isNull());
    EXPECT_TRUE(page("execGameJs", {"h", 1, 2, 3}).isNull());
    EXPECT_TRUE(pageCalls().size() == 2u);
}

TEST_F(BaseWindowTest, AGameFunctionGetsNoArgumentArrayWithExactlyFourArguments) {
    auto game = rt::create<GameWindow>(
        rt::Record::of({{"wmode", 0}}),
        rt::Record::of({{"game_type", 1}, {"room_type", 2}, {"room_level", 3}}), false);
    open(game, "game");
    appWindows().gamesWindow->push(game);
    host.clearCalls();
    page("execGameJs", {"f", 1, 2, 3});
    page("execGameJs", {"g", 1, 2, 3, "x"});
    page("execGameJs", {"h", 9, 2, 3, "x"});
    auto calls = pageCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].first, "f");
    EXPECT_TRUE(calls[0].second.isNull());
    EXPECT_EQ(calls[1].second.asArray()->items(), std::vector<rt::Value>{"x"});
    EXPECT_EQ(host.calls("frame_invokejsfunc")[0].args[0], rt::Value("game"));
}

TEST_F(BaseWindowTest, OtherNamesReachTheWindowsMembers) {
    EXPECT_EQ(page("isMaxWindow"), rt::Value(false));
    EXPECT_TRUE(page("isMaxWindow", {true}).isNull());
    EXPECT_TRUE(window->isMaxWindow);
    rt::Value menu = rt::Record::of({{"typeFlags", 35}, {"selectionText", ""}});
    EXPECT_EQ(page("onBeforeMenu", {menu}), rt::Value(true));
    EXPECT_TRUE(page("noSuchMember", {1}).isNull());
}

TEST_F(BaseWindowTest, ServesTheLobbyMovieAndArchiveEntriesWithTheirTypes) {
    auto serve = [&](const std::string& url, rt::Ref<cef::CefResponse> r) {
        return window->onBeforeResourceLoad(url, r);
    };
    auto response = rt::create<cef::CefResponse>();
    EXPECT_TRUE(serve("http://127.0.0.1/LobbyClientMain.swf", response).isNull());
    EXPECT_TRUE(serve("file:///opt/lobby/LobbyClientMain.swf", response).isNull());
    installPaths().mainSwfData = rt::Bytes::of("FWS");
    EXPECT_EQ(serve("file:///opt/lobby/LobbyClientMain.swf?v=2", response).asBytes(),
              installPaths().mainSwfData);
    EXPECT_EQ(response->mimeType, "application/x-shockwave-flash");
    EXPECT_EQ(response->status, 200);

    installPaths().resourcePath = "/opt/lobby/resource/";
    EXPECT_TRUE(serve("file:///opt/lobby/resource/lobby.html", rt::create<cef::CefResponse>())
                    .isNull());  // pages come from the folder
    installPaths().resourceFilesData =
        std::map<std::string, rt::Ref<rt::Bytes>>{{"css/main.css", rt::Bytes::of("body{}")},
                                                  {"img/a b.png", rt::Bytes::of("png")},
                                                  {"data.bin", rt::Bytes::of("raw")}};
    auto css = rt::create<cef::CefResponse>();
    EXPECT_EQ(serve("file:///OPT/lobby/Resource/CSS/Main.css?x=1", css).asBytes()->data().size(),
              6u);
    EXPECT_EQ(css->mimeType, "text/css");
    auto png = rt::create<cef::CefResponse>();
    EXPECT_FALSE(serve("file:///opt/lobby/resource/img/a%20b.png", png).isNull());
    EXPECT_EQ(png->mimeType, "image/png");
    auto bin = rt::create<cef::CefResponse>();
    EXPECT_FALSE(serve("file:///opt/lobby/resource/data.bin", bin).isNull());
    EXPECT_EQ(bin->status, 200);
    EXPECT_FALSE(bin->mimeType.has_value());
    auto none = rt::create<cef::CefResponse>();
    EXPECT_TRUE(serve("file:///opt/lobby/resource/missing.js", none).isNull());
    EXPECT_EQ(none->status, 0);
    EXPECT_TRUE(serve("file:///opt/other/css/main.css", none).isNull());
}

TEST_F(BaseWindowTest, PopupsStayInTheSiteOrLeaveForTheSystemBrowser) {
    EXPECT_FALSE(popup("http://127.0.0.1:8080/news.html"));
    EXPECT_EQ(loaded(), std::vector<std::string>{"mainFrame>http://127.0.0.1:8080/news.html"});
    EXPECT_FALSE(popup("http://127.0.0.1:8080/news.html#top"));
    EXPECT_EQ(loaded().size(), 1u);
    EXPECT_FALSE(popup("http://127.0.0.2/x?u=http://127.0.0.1:8080"));
    EXPECT_FALSE(popup("http://127.0.0.1:8080/client.zip"));
    EXPECT_EQ(launched(), (std::vector<std::string>{"http://127.0.0.2/x?u=http://127.0.0.1:8080",
                                                    "http://127.0.0.1:8080/client.zip"}));
    EXPECT_TRUE(popup("chrome-devtools://devtools/inspector.html"));
}

TEST_F(BaseWindowTest, PopupRulesReopenTheRewrittenAddressAsAnEscapedLiteral) {
    rules({rt::Array::of({"^http://127\\.0\\.0\\.3/(.*)$", 2, "http://127.0.0.1:8080/$1"}),
           rt::Array::of({"plain", 2, ""})});
    EXPECT_FALSE(popup("http://127.0.0.3/p');runApp('calc"));
    ASSERT_EQ(scripts().size(), 1u);
    EXPECT_EQ(scripts()[0], "window.open('http://127.0.0.1:8080/p\\');runApp(\\'calc')");
    EXPECT_TRUE(popup("http://127.0.0.9/PLAIN"));
    EXPECT_TRUE(launched().empty());
}

TEST_F(BaseWindowTest, NavigationRefusesTheMainFrameOnceTheLobbyPageHasLoaded) {
    EXPECT_TRUE(browse(true, "", "file:///opt/lobby/resource/lobby.html"));
    EXPECT_TRUE(window->isMainFrameLoad);
    EXPECT_FALSE(browse(true, "", "file:///opt/lobby/resource/lobby.html"));
    EXPECT_FALSE(browse(true, "", "http://127.0.0.1:8080/index.html"));
    EXPECT_TRUE(browse(false, "side", "http://127.0.0.1:8080/index.html"));
}

TEST_F(BaseWindowTest, NavigationSendsOutsideOrRefusesByAddress) {
    EXPECT_FALSE(browse(false, "mainFrame", "http://127.0.0.1:8080/logout/"));
    EXPECT_FALSE(browse(false, "mainFrame", "http://127.0.0.2/elsewhere"));
    EXPECT_FALSE(browse(false, "side", "http://127.0.0.1:8080/bbs/1"));
    EXPECT_FALSE(browse(false, "side", "http://127.0.0.1:8080/a#b"));
    EXPECT_EQ(launched(), (std::vector<std::string>{"http://127.0.0.2/elsewhere",
                                                    "http://127.0.0.1:8080/bbs/1"}));
    host.answer("browser_getframeobj", rt::Value());
    EXPECT_FALSE(browse(false, "gone", "http://127.0.0.1:8080/fine.html"));
}

// Payment pages go to the desktop's default browser as the opener's one argument, never into
// the window; an address that the opener would read as an option or as several arguments is not
// handed to it.
TEST_F(BaseWindowTest, PaymentPagesOpenWithTheDesktopOpenerOnly) {
    EXPECT_FALSE(browse(false, "side", "http://127.0.0.1:8080/payment/go?a=1&b=2"));
    EXPECT_FALSE(browse(false, "side", "http://127.0.0.1:8080/payment/"));
    EXPECT_FALSE(browse(false, "side", "-x/payment/"));
    EXPECT_FALSE(browse(false, "side", "http://127.0.0.1:8080/payment/ --new-window"));
    EXPECT_FALSE(browse(false, "side", "http://127.0.0.1:8080/payment/\"a"));
    const auto started = host.calls("win_create_process");
    ASSERT_EQ(started.size(), 2u);
    for (const auto& call : started) {
        EXPECT_EQ(call.args[0], rt::Value("xdg-open"));
        EXPECT_EQ(call.args[2], rt::Value(""));
        EXPECT_EQ(call.args[3], rt::Value(false));
        EXPECT_EQ(call.args[4], rt::Value(false));
    }
    EXPECT_EQ(started[0].args[1], rt::Value("http://127.0.0.1:8080/payment/go?a=1&b=2"));
    EXPECT_EQ(started[1].args[1], rt::Value("http://127.0.0.1:8080/payment/"));
    EXPECT_TRUE(loaded().empty());
    EXPECT_TRUE(launched().empty());
}

TEST_F(BaseWindowTest, APlaceholderAddressLoadsTheConfiguredPageInTheTargetFrame) {
    Config::configs["payment_url"] = "/user/charge.html";
    Config::configs["index_url"] = "http://127.0.0.1:8080/index.html";
    EXPECT_FALSE(browse(false, "side", "file:///opt/lobby/%7B$payment_url%7D"));
    EXPECT_FALSE(browse(false, "side", "file:///opt/lobby/%7B$index_url%7D"));
    EXPECT_EQ(loaded(), (std::vector<std::string>{"side>http://127.0.0.1:8080/user/charge.html",
                                                  "side>http://127.0.0.1:8080/index.html"}));
    EXPECT_TRUE(browse(false, "side", "file:///opt/lobby/%7B$unknown%7D"));
}

TEST_F(BaseWindowTest, NavigationRulesFillConfigurationNamesAndActInOrder) {
    Config::configs["media_url"] = "127.0.0.5";
    rules({rt::Array::of({"http://{media_url}/", 0, ""}),
           rt::Array::of({"^http://127\\.0\\.0\\.6/", 0, "http://127.0.0.1:8080/"}),
           rt::Array::of({"127\\.0\\.0\\.7", 1, ""})});
    EXPECT_TRUE(browse(false, "mainFrame", "http://127.0.0.5/movie.swf"));
    EXPECT_FALSE(browse(false, "side", "http://127.0.0.6/page.html"));
    EXPECT_EQ(loaded(), std::vector<std::string>{"side>http://127.0.0.1:8080/page.html"});
    EXPECT_FALSE(browse(false, "side", "http://127.0.0.7/x"));
    EXPECT_EQ(launched(), std::vector<std::string>{"http://127.0.0.7/x"});
}

TEST_F(BaseWindowTest, ABrokenRulePatternMatchesNothing) {
    rules({rt::Array::of({"([", 1, ""})});
    EXPECT_TRUE(browse(false, "side", "http://127.0.0.1:8080/ok.html"));
    EXPECT_TRUE(launched().empty());
}

TEST_F(BaseWindowTest, MenusAndTheCaptchaAlert) {
    EXPECT_TRUE(window->onBeforeMenu(rt::Record::of({{"typeFlags", 35}, {"selectionText", ""}})));
    EXPECT_FALSE(window->onBeforeMenu(rt::Record::of({{"typeFlags", 2}, {"selectionText", ""}})));
    EXPECT_TRUE(window->onBeforeMenu(rt::Record::of({{"typeFlags", 2}})));
    EXPECT_TRUE(window->onJSAlert(false, "", "hello"));
    EXPECT_TRUE(pageCalls().empty());
    EXPECT_FALSE(window->onJSAlert(false, "", std::string(kCaptchaFailedAlert)));
    ASSERT_EQ(pageCalls().size(), 1u);
    EXPECT_EQ(pageCalls()[0].first, "setAuthVerifyCode");
}

TEST_F(BaseWindowTest, MaximiseAndRestoreTellThePage) {
    window->on_maximize();
    EXPECT_TRUE(window->isMaxWindow);
    setProp("base", testing::kMinimized, true);
    window->on_restore();
    EXPECT_TRUE(window->isMaxWindow);
    setProp("base", testing::kMinimized, false);
    window->on_restore();
    EXPECT_FALSE(window->isMaxWindow);
    EXPECT_EQ(scripts(),
              (std::vector<std::string>{"maxOrNormalWindow(true);", "maxOrNormalWindow(false);"}));
}

TEST_F(BaseWindowTest, AWindowIsCutToTheInitialSizeAndCentred) {
    rt::Ref<BaseWindow> w = rt::create<BaseWindow>("resource/b.html", nullptr, nullptr);
    setProp("b", testing::kWidth, 1800);
    setProp("b", testing::kHeight, 900);
    w->on_create("b");
    EXPECT_EQ(prop("b", testing::kWidth), rt::Value(1536));
    EXPECT_EQ(prop("b", testing::kHeight), rt::Value(832));
    EXPECT_EQ(prop("b", testing::kLeft), rt::Value(192));
    EXPECT_EQ(prop("b", testing::kTop), rt::Value(104));
    EXPECT_EQ(w->minSize->width, 1000);
    EXPECT_EQ(w->minSize->height, 600);
    auto round = host.calls("window_setround");
    ASSERT_FALSE(round.empty());
    EXPECT_EQ(round.back().args[1].get("x"), rt::Value(3));
    EXPECT_EQ(round.back().args[1].get("width"), rt::Value(1540));
}

TEST_F(BaseWindowTest, OnAWideScreenAGameWindowIs1350By710) {
    rt::Ref<GameSizedWindow> game = rt::create<GameSizedWindow>();
    game->on_create("game");
    EXPECT_EQ(prop("game", testing::kWidth), rt::Value(1350));
    EXPECT_EQ(prop("game", testing::kHeight), rt::Value(710));
    EXPECT_EQ(prop("game", testing::kLeft), rt::Value(283));
    EXPECT_EQ(prop("game", testing::kTop), rt::Value(167));
    EXPECT_TRUE(rt::Value(game->get_cefBrowser()).get("onBeforePopup").isNull());
    EXPECT_TRUE(rt::Value(game->get_cefBrowser()).get("onBeforeBrowse").isFunction());
}

TEST_F(BaseWindowTest, OnASmallScreenAGameWindowIsScaled) {
    screenMetrics().screenWidth = 1280;
    screenMetrics().windowFullHeight = 544;
    rt::create<GameSizedWindow>()->on_create("small");
    // scale = min((1280 - 4 - 275) / 1000, (544 - 4 - 30) / 680) = 0.75: 1025 x 540, and a width
    // below the screen's takes the screen's.
    EXPECT_EQ(prop("small", testing::kWidth), rt::Value(1280));
    EXPECT_EQ(prop("small", testing::kHeight), rt::Value(540));
}

}  // namespace
}  // namespace lobby
