// Target tracking from recorded DevTools messages, without a browser: pages that attach before
// their window knows its target, pages nobody owns, popups, and pages that go away.
#include "platform/cefhx/target_tracker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/cefhx/fake_devtools.h"
#include "platform/cefhx/json_fields.h"
#include "platform/cefhx/test_window.h"
#include "runtime/create.h"
#include "runtime/record.h"

namespace cefhx {
namespace {

class Targets : public ::testing::Test {
protected:
    Targets() {
        browser.onEvents([this](const std::string& method, const Json::Value& params,
                                const std::string&) {
            if (method == "Target.attachedToTarget") {
                tracker.onAttached(params);
            } else if (method == "Target.detachedFromTarget") {
                tracker.onDetached(textField(params, "sessionId"));
            } else if (method == "Fetch.requestPaused") {
                unclaimedRequest = !tracker.onPopupRequest(optionalText(params, "frameId"), params);
            }
        });
        tracker.setTransport(&browser);
    }

    std::shared_ptr<HostWindow> addWindow(ml_hwnd hwnd) {
        auto object = rt::create<testing::RecordingWindow>();
        objects.push_back(object);
        auto w = std::make_shared<HostWindow>(hwnd, rt::Value(object), rt::Value(), 640, 480, 0);
        windows[hwnd] = w;
        return w;
    }
    static std::string attached(const std::string& session, const std::string& target,
                                const std::string& opener = "", const std::string& url = "") {
        return R"({"method":"Target.attachedToTarget","params":{"sessionId":")" + session +
               R"(","targetInfo":{"targetId":")" + target + R"(","type":"page")" +
               (opener.empty() ? "" : R"(,"openerId":")" + opener + "\"") +
               (url.empty() ? "" : R"(,"url":")" + url + "\"") + R"(},"waitingForDebugger":true}})";
    }
    static Json::Value at(const std::string& url) {
        Json::Value params(Json::objectValue);
        params["url"] = url;
        return params;
    }
    static Json::Value target(const std::string& id) {
        Json::Value v(Json::objectValue);
        v["targetId"] = id;
        return v;
    }
    // The sessions sent Runtime.runIfWaitingForDebugger, taking the commands sent so far.
    std::vector<std::string> resumed() {
        std::vector<std::string> out;
        for (const auto& c : browser.taken()) {
            if (c.method == "Runtime.runIfWaitingForDebugger") out.push_back(c.sessionId);
        }
        return out;
    }

    testing::FakeDevTools browser;
    WindowMap windows;
    std::vector<std::string> setUp;
    std::vector<ml_hwnd> gone;
    bool unclaimedRequest = false;
    bool claimApp = false;
    TargetTracker tracker{
        windows,
        {[this](const std::shared_ptr<HostWindow>& w) {
             tracker.addSession(*w);
             setUp.push_back(w->targetId + "/" + w->sessionId);
         },
         [this](const Json::Value&, const std::string&) { return claimApp; },
         [this](const std::shared_ptr<HostWindow>& w) { gone.push_back(w->hwnd()); }}};
    std::vector<rt::Ref<testing::RecordingWindow>> objects;
};

TEST_F(Targets, APageThatAttachesBeforeItsWindowKnowsItWaitsForTheWindow) {
    auto w = addWindow(1);
    tracker.createTarget(w, Json::Value(Json::objectValue));
    EXPECT_EQ(w->target, TargetState::Requested);
    browser.receive(attached("S", "T"));
    EXPECT_TRUE(setUp.empty());
    EXPECT_TRUE(resumed().empty()) << "a page of a waiting window must stay paused";
    ASSERT_TRUE(browser.reply("Target.createTarget", target("T")));
    EXPECT_EQ(w->target, TargetState::Known);
    EXPECT_EQ(setUp, std::vector<std::string>{"T/S"});
    EXPECT_EQ(tracker.windowBySession("S"), w);
    EXPECT_EQ(tracker.windowByTarget("T"), w);
}

TEST_F(Targets, APageOnTheAddressOneWaitingWindowAskedForIsSetUpBeforeTheAnswer) {
    auto lobby = addWindow(1);
    auto login = addWindow(2);
    tracker.createTarget(lobby, at("file:///p/lobby.html"));
    tracker.createTarget(login, at("file:///p/login.html"));
    // The second window's page may attach first; neither waits for createTarget's answer.
    browser.receive(attached("S2", "T2", "", "file:///p/login.html"));
    EXPECT_EQ(setUp, std::vector<std::string>{"T2/S2"});
    EXPECT_EQ(tracker.windowBySession("S2"), login);
    browser.receive(attached("S1", "T1", "", "file:///p/lobby.html"));
    EXPECT_EQ(setUp, (std::vector<std::string>{"T2/S2", "T1/S1"}));
    // The answers change nothing: no second set-up, nothing closed.
    ASSERT_TRUE(browser.reply("Target.createTarget", target("T1")));
    ASSERT_TRUE(browser.reply("Target.createTarget", target("T2")));
    EXPECT_EQ(setUp.size(), 2u);
    EXPECT_EQ(lobby->targetId, "T1");
    EXPECT_EQ(login->target, TargetState::Known);
    EXPECT_TRUE(browser.sentOf("Target.closeTarget").empty());
    // Another page on an address nobody waits for is left alone.
    browser.receive(attached("S3", "T3", "", "file:///p/lobby.html"));
    EXPECT_EQ(setUp.size(), 2u);
    EXPECT_EQ(resumed(), std::vector<std::string>{"S3"});
}

TEST_F(Targets, WindowsAskingForOneAddressTakeTheirPagesByTheAnswers) {
    auto first = addWindow(1);
    auto second = addWindow(2);
    tracker.createTarget(first, at("file:///p/game.html"));
    tracker.createTarget(second, at("file:///p/game.html"));
    browser.receive(attached("S2", "T2", "", "file:///p/game.html"));
    EXPECT_TRUE(setUp.empty()) << "either window may own it";
    ASSERT_TRUE(browser.reply("Target.createTarget", target("T1")));
    browser.receive(attached("S1", "T1", "", "file:///p/game.html"));
    ASSERT_TRUE(browser.reply("Target.createTarget", target("T2")));
    EXPECT_EQ(setUp, (std::vector<std::string>{"T1/S1", "T2/S2"}));
    EXPECT_EQ(tracker.windowBySession("S1"), first);
    EXPECT_EQ(tracker.windowBySession("S2"), second);
}

TEST_F(Targets, PagesNobodyOwnsRunOnOnceNoWindowWaits) {
    auto w = addWindow(1);
    tracker.createTarget(w, Json::Value(Json::objectValue));
    // A page id that is also an old marker value claims nothing.
    browser.receive(attached("S1", "pending"));
    browser.receive(attached("S2", "other"));
    EXPECT_TRUE(resumed().empty());
    browser.reply("Target.createTarget", target("T"));
    EXPECT_TRUE(setUp.empty());
    EXPECT_EQ(resumed(), (std::vector<std::string>{"S2", "S1"}));
    // With no window waiting a stranger runs at once.
    browser.receive(attached("S3", "stranger"));
    EXPECT_EQ(resumed(), std::vector<std::string>{"S3"});
    // The window's own page attaches later and is set up.
    browser.receive(attached("S", "T"));
    EXPECT_EQ(setUp, std::vector<std::string>{"T/S"});
}

TEST_F(Targets, AFailedCreateLeavesTheWindowWithoutATargetAndReleasesWaitingPages) {
    auto w = addWindow(1);
    tracker.createTarget(w, Json::Value(Json::objectValue));
    browser.receive(attached("S2", "other"));
    ASSERT_TRUE(browser.fail("Target.createTarget", "no browser window"));
    EXPECT_EQ(w->target, TargetState::None);
    EXPECT_TRUE(w->targetId.empty());
    EXPECT_EQ(resumed(), std::vector<std::string>{"S2"});
}

TEST_F(Targets, ATargetThatArrivesForAGoneWindowIsClosed) {
    auto w = addWindow(1);
    tracker.createTarget(w, Json::Value(Json::objectValue));
    w->destroying = true;
    browser.taken();
    browser.reply("Target.createTarget", target("T"));
    const auto closed = browser.sentOf("Target.closeTarget");
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_EQ(closed[0].params["targetId"], "T");
    EXPECT_TRUE(setUp.empty());
}

TEST_F(Targets, AnApplicationWindowClaimsAPageWithoutOpener) {
    auto w = addWindow(1);
    TargetTracker::markRequested(*w);
    claimApp = true;
    browser.receive(attached("S", "T"));
    EXPECT_TRUE(setUp.empty()) << "the app-window hook claimed it";
    EXPECT_TRUE(resumed().empty());
    tracker.claim(w, "T", "S");
    EXPECT_EQ(setUp, std::vector<std::string>{"T/S"});
}

TEST_F(Targets, APopupIsRefusedOrLetThroughByItsOpener) {
    auto w = addWindow(1);
    w->setEventRegistered(static_cast<int>(BrowserEvent::BeforePopup), true);
    tracker.claim(w, "T", "S");
    bool allow = false;
    objects[0]->onEvent = [&](const std::string&, const rt::Value&) { return rt::Value(allow); };
    browser.taken();

    browser.receive(attached("P", "PT", "T"));
    auto commands = browser.taken();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].method, "Runtime.runIfWaitingForDebugger");
    EXPECT_TRUE(tracker.onPopupMessage("P"));
    EXPECT_FALSE(tracker.onPopupMessage("S"));

    // Paused browser-wide: the popup is known by its main frame, whose id is its target's.
    const std::string paused =
        R"({"method":"Fetch.requestPaused","params":{"requestId":"R1","frameId":"PT",)"
        R"("request":{"url":"https://example.invalid/ad"}}})";
    browser.receive(paused);
    EXPECT_FALSE(unclaimedRequest);
    EXPECT_EQ(objects[0]->calls,
              std::vector<std::string>{"onBeforePopup https://example.invalid/ad"});
    commands = browser.taken();
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0].method, "Fetch.failRequest");
    EXPECT_EQ(commands[0].sessionId, "");
    EXPECT_EQ(commands[0].params["errorReason"], "BlockedByClient");
    EXPECT_EQ(commands[1].method, "Target.closeTarget");
    EXPECT_EQ(commands[1].params["targetId"], "PT");
    // Asked once: a later request of the same popup goes on unasked.
    browser.receive(paused);
    commands = browser.taken();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].method, "Fetch.continueRequest");
    EXPECT_EQ(objects[0]->calls.size(), 1u);

    allow = true;
    browser.receive(attached("Q", "QT", "T"));
    browser.taken();
    browser.receive(R"({"method":"Fetch.requestPaused","params":{"requestId":"R2","frameId":"QT",)"
                    R"("request":{"url":"https://example.invalid/page"}}})");
    commands = browser.taken();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].method, "Fetch.continueRequest");
    EXPECT_EQ(commands[0].params["requestId"], "R2");

    // A frame of no popup is not the popups' to answer.
    browser.receive(R"({"method":"Fetch.requestPaused","params":{"requestId":"R3","frameId":"T",)"
                    R"("request":{"url":"file:///a.html"}}})");
    EXPECT_TRUE(unclaimedRequest);
    EXPECT_TRUE(browser.taken().empty());
}

TEST_F(Targets, FramesLeadToTheirWindow) {
    auto w = addWindow(1);
    auto waiting = addWindow(2);
    tracker.claim(w, "T", "S");
    TargetTracker::markRequested(*waiting);
    w->addFrame("T", "");
    w->addFrame("F", "T");
    EXPECT_EQ(tracker.windowByFrame("T"), w);
    EXPECT_EQ(tracker.windowByFrame("F"), w);
    EXPECT_EQ(tracker.windowByFrame("G"), nullptr);
    EXPECT_EQ(tracker.windowByFrame(""), nullptr);
    // A window whose target is not known yet owns no frame, not even one of an empty id.
    EXPECT_EQ(tracker.windowByFrame(waiting->targetId), nullptr);
}

TEST_F(Targets, APageThatDetachesTakesItsWindowAlong) {
    auto w = addWindow(1);
    tracker.claim(w, "T", "S");
    browser.receive(R"({"method":"Target.detachedFromTarget","params":{"sessionId":"nobody"}})");
    EXPECT_TRUE(gone.empty());
    browser.receive(R"({"method":"Target.detachedFromTarget","params":{"sessionId":"S"}})");
    EXPECT_EQ(gone, std::vector<ml_hwnd>{1});
    EXPECT_EQ(w->target, TargetState::None);
    EXPECT_EQ(tracker.windowBySession("S"), nullptr);
}

}  // namespace
}  // namespace cefhx
