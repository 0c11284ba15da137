#include "tools/testhttp/fault_rule.h"

#include <gtest/gtest.h>

namespace testhttp {
namespace {

using std::chrono::milliseconds;

TEST(FaultRuleTest, EveryFaultReadsBackFromItsDescription) {
    std::vector<Fault> faults = {
        Fault::answerStatus(504),
        Fault::redirect(302, "http://127.0.0.1:4000/other"),
        Fault::dropAfter(300),
        Fault::stall(),
        Fault::pauseBeforeHeaders(milliseconds(250)),
        Fault::pauseMidBody(10, milliseconds(40)),
        Fault::wrongContentLength(-3),
        Fault::noContentLength(),
        Fault::ignoreRange(),
        Fault::wrongContentRange(5),
        Fault::slowBody(1000),
        Fault::errorPage(),
        Fault::oversizedHeader(4096).onRequest(2).forRangeStart(17),
        Fault::splitHeader(7, milliseconds(5)),
        Fault::rawAnswer("HTTP/1.1 302 Found\r\nLocation: /a\nX: \\b\x01\xff\r\n\r\n"),
    };
    for (const Fault& f : faults) {
        auto parsed = parseFaultRule("/a/b.bin " + f.describe());
        ASSERT_TRUE(parsed) << parsed.error();
        const FaultRule& rule = *parsed;
        EXPECT_EQ(rule.path, "/a/b.bin");
        EXPECT_EQ(rule.fault.describe(), f.describe());
        EXPECT_EQ(rule.fault.kind, f.kind) << f.describe();
    }
}

TEST(FaultRuleTest, RefusesBadRulesNamingTheProblem) {
    struct Case {
        const char* rule;
        const char* mentions;
    };
    for (const Case& c :
         {Case{"/x", "expected"}, Case{"x status 500", "does not start"},
          Case{"/x status", "needs a status"}, Case{"/x status 5o0", "5o0"},
          Case{"/x status 99", "not an HTTP status"}, Case{"/x redirect 200 /y", "not a redirect"},
          Case{"/x redirect 302 http://10.0.0.1/y", "this machine"},
          Case{"/x melt", "unknown fault 'melt'"}, Case{"/x stall loud", "unexpected 'loud'"},
          Case{"/x stall nth=0", "below 1"}, Case{"/x pause-headers -5", "negative"},
          Case{"/x raw", "needs the answer's bytes"}, Case{"/x raw a\\q", "bad escape"},
          Case{"/x raw a\\x4", "bad escape"}}) {
        auto parsed = parseFaultRule(c.rule);
        ASSERT_FALSE(parsed) << "accepted: " << c.rule;
        EXPECT_NE(parsed.error().find(c.mentions), std::string::npos)
            << c.rule << " -> " << parsed.error();
    }
}

TEST(FaultRuleTest, RedirectsStayOnThisMachine) {
    EXPECT_TRUE(isLocalLocation("/same/server"));
    EXPECT_TRUE(isLocalLocation("http://127.0.0.1:81/x"));
    EXPECT_TRUE(isLocalLocation("http://localhost/x"));
    EXPECT_TRUE(isLocalLocation("http://[::1]:8080/x"));
    EXPECT_FALSE(isLocalLocation("//elsewhere.example/x"));
    EXPECT_FALSE(isLocalLocation("http://127.0.0.1.example.com/x"));
    EXPECT_FALSE(isLocalLocation("http://user@192.168.1.1/x"));
    EXPECT_FALSE(isLocalLocation("https://127.0.0.1/x"));
}

TEST(FaultRuleTest, RulesFileSkipsCommentsAndNamesTheBadLine) {
    auto rules = parseFaultRules(
        "# faults for the demo\n\n/a status 404\n  /b drop-after 10 range-start=0\r\n");
    ASSERT_TRUE(rules) << rules.error();
    ASSERT_EQ(rules->size(), 2u);
    EXPECT_EQ(parseFaultRule("/game/sub%20dir/f.bin stall")->path, "/game/sub dir/f.bin");
    EXPECT_EQ((*rules)[1].path, "/b");
    EXPECT_EQ((*rules)[1].fault.rangeStart, 0u);
    auto bad = parseFaultRules("/a stall\n/b\n");
    ASSERT_FALSE(bad) << "accepted a rule without a fault";
    EXPECT_TRUE(bad.error().starts_with("line 2: ")) << bad.error();
}

}  // namespace
}  // namespace testhttp
