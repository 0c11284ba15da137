#include "lobby/bindings/cef/cef_settings.h"

#include <gtest/gtest.h>

#include "lobby/bindings/cef/cef_browser_settings.h"
#include "runtime/class_info.h"
#include "runtime/create.h"

namespace cef {
namespace {

TEST(CefSettingsTest, EveryNewSettingsObjectResetsTheMessageLoopFlag) {
    const rt::ClassInfo& info = CefSettings::staticClassInfo();
    info.setStatic("multiThreadedMessageLoop", true);
    rt::Value settings = rt::ClassInfo::createByName("cef.CefSettings", {});
    EXPECT_EQ(info.getStatic("multiThreadedMessageLoop"), rt::Value(false));
    EXPECT_EQ(settings.get("locale").str(), "zh-CN");
    EXPECT_EQ(settings.get("localStorageQuota"), rt::Value(-1));
    EXPECT_TRUE(settings.get("extraPluginPaths").isNull());
    std::vector<std::string> fields = info.fields();
    ASSERT_EQ(fields.size(), 16u);
    EXPECT_EQ(fields.front(), "contextSafetyImplementation");
    EXPECT_EQ(fields.back(), "cachePath");
}

TEST(CefBrowserSettingsTest, DefaultsHaveFourFlagsSetAndTwentyFiveFrames) {
    rt::Value settings = rt::ClassInfo::createByName("cef.CefBrowserSettings", {});
    std::vector<std::string> trueFlags;
    for (const std::string& name : CefBrowserSettings::staticClassInfo().fields()) {
        rt::Value v = settings.get(name);
        if (v.isBool() && v.toBool()) trueFlags.push_back(name);
    }
    EXPECT_EQ(trueFlags, (std::vector<std::string>{"webGLDisabled", "javaDisabled",
                                                   "dragDropDisabled", "developerToolsDisabled"}));
    EXPECT_EQ(settings.get("animationFrameRate"), rt::Value(25));
    EXPECT_EQ(settings.get("defaultFixedFontSize"), rt::Value(-1));
    EXPECT_TRUE(settings.get("standardFontFamily").isNull());
    EXPECT_EQ(settings.get("defaultEncoding").str(), "");
    EXPECT_EQ(CefBrowserSettings::staticClassInfo().fields().size(), 52u);
}

}  // namespace
}  // namespace cef
