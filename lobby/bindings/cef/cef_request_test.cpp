#include "lobby/bindings/cef/cef_request.h"

#include <gtest/gtest.h>

#include "lobby/bindings/cef/cef_response.h"
#include "lobby/bindings/fake_host.h"
#include "runtime/class_info.h"

namespace cef {
namespace {

TEST(CefRequestTest, PropertiesAlwaysGoToTheHostAndKeepNothing) {
    bindings::FakeHost host;
    rt::Value handle = "req-1";
    rt::Value request =
        rt::ClassInfo::createByName("cef.CefRequest", std::vector<rt::Value>{handle});
    EXPECT_EQ(request.set("url", "http://127.0.0.1/a"), rt::Value("http://127.0.0.1/a"));
    EXPECT_EQ(host.calls("request_seturl")[0].args,
              (std::vector<rt::Value>{"req-1", "http://127.0.0.1/a"}));
    EXPECT_TRUE(request.get("url").isNull());
    host.answer("request_geturl", "http://127.0.0.1/b");
    EXPECT_EQ(request.get("url").str(), "http://127.0.0.1/b");
    EXPECT_EQ(host.count("request_geturl"), 2);

    rt::Value empty = rt::ClassInfo::createByName("cef.CefRequest", {});
    empty.callMember("setHeader", {"Accept", "*/*"});
    EXPECT_EQ(host.calls("request_setheader")[0].args,
              (std::vector<rt::Value>{nullptr, "Accept", "*/*"}));
}

TEST(CefResponseTest, StartsEmptyAndConvertsWhatIsWrittenByName) {
    rt::Value response = rt::ClassInfo::createByName("cef.CefResponse", std::vector<rt::Value>{1});
    EXPECT_EQ(response.get("end"), rt::Value(false));
    EXPECT_TRUE(response.get("redirectUrl").isNull());
    EXPECT_TRUE(response.get("mimeType").isNull());
    EXPECT_EQ(response.get("status"), rt::Value(0));

    response.set("status", 200);
    response.set("status", nullptr);
    EXPECT_EQ(response.get("status"), rt::Value(0));
    response.set("mimeType", 5);
    EXPECT_EQ(response.get("mimeType").str(), "5");
    response.set("redirectUrl", nullptr);
    EXPECT_TRUE(response.get("redirectUrl").isNull());
    EXPECT_EQ(CefResponse::staticClassInfo().fields(),
              (std::vector<std::string>{"end", "redirectUrl", "mimeType", "status"}));
}

}  // namespace
}  // namespace cef
